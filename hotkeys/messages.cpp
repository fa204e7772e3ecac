#include "hotkeys/messages.hpp"

namespace kestrune {

// --- The settings file -----------------------------------------------------------------------



// --- Set Key ---------------------------------------------------------------------------------



// --- The shortcuts and the program -----------------------------------------------------------



}  // namespace kestrune
