// Every question and message that the user reads, worded once: the one place a translation
// would go. The code that finds a fault or asks a question names it (an outcome with its facts);
// the words are chosen here.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// --- The settings file: why a read or a save failed ------------------------------------------



// --- Set Key: the questions before a key is stored, and a change that was not stored --------



// --- The shortcuts and the program: notices, the player, the start ---------------------------



}  // namespace kestrune
