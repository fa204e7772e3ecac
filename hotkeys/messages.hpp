// Every question and message that the user reads, worded once: the one place a translation
// would go. The code that finds a fault or asks a question names it (an outcome with its facts);
// the words are chosen here.
#pragma once

#include <string>
#include <string_view>

#include "settings/disk.hpp"

namespace kestrune {

// --- The settings file: why a read or a save failed ------------------------------------------

// What the user is told when a save did not store: `lead` (what was lost), the file's path and
// the reason, in plain words (for a broken link, with the target it names).
std::string WriteFailureMessage(std::string_view lead, std::string_view path, FileResult result);


// --- Set Key: the questions before a key is stored, and a change that was not stored --------



// --- The shortcuts and the program: notices, the player, the start ---------------------------



}  // namespace kestrune
