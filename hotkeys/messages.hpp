// Every question and message that the user reads, worded once: the one place a translation
// would go. The code that finds a fault or asks a question names it (an outcome with its facts);
// the words are chosen here.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// --- The settings file: why a read or a save failed ------------------------------------------



// --- Set Key: the questions before a key is stored, and a change that was not stored --------

struct KeyChange;
struct SetKeyOutcome;

// Whether Set Key asks before it stores `code`: a key whose Alt combination Windows or most
// programs use themselves, or that makes a poor shortcut with Alt for another reason.
bool IsReservedKey(std::int32_t code);

// The question Set Key asks about `outcome` before it stores the key; Yes stores it.
std::string SetKeyQuestion(const SetKeyOutcome& outcome);

// What the user is told after a change of a key that did not store: that it was lost, then the
// path and the reason.
std::string KeyChangeFailureMessage(const KeyChange& change, std::string_view path);



// --- The shortcuts and the program: notices, the player, the start ---------------------------



}  // namespace kestrune
