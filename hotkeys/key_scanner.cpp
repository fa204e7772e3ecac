#include "hotkeys/key_scanner.hpp"

namespace kestrune {

// Letters and digits are named by their character; the numeric keypad's operators by theirs.
// The main keyboard's punctuation keys, the Windows keys and F17 to F24 are not here.
const std::array<KeyEntry, 100> kKeyTable{{
    {48, "0"},           {49, "1"},         {50, "2"},          {51, "3"},
    {52, "4"},           {53, "5"},         {54, "6"},          {55, "7"},
    {56, "8"},           {57, "9"},         {65, "A"},          {107, "+"},
    {66, "B"},           {8, "Back"},       {67, "C"},          {3, "Cancel"},
    {20, "Capital"},     {12, "Clear"},     {17, "Control"},    {68, "D"},
    {110, "Decimal"},    {46, "Delete"},    {111, "/"},         {40, "Down"},
    {69, "E"},           {35, "End"},       {27, "Escape"},     {43, "Execute"},
    {70, "F"},           {112, "F1"},       {113, "F2"},        {114, "F3"},
    {115, "F4"},         {116, "F5"},       {117, "F6"},        {118, "F7"},
    {119, "F8"},         {120, "F9"},       {121, "F10"},       {122, "F11"},
    {123, "F12"},        {124, "F13"},      {125, "F14"},       {126, "F15"},
    {127, "F16"},        {71, "G"},         {72, "H"},          {47, "Help"},
    {36, "Home"},        {73, "I"},         {45, "Insert"},     {74, "J"},
    {75, "K"},           {76, "L"},         {1, "LButton"},     {37, "Left"},
    {77, "M"},           {4, "MButton"},    {18, "Menu"},       {106, "*"},
    {78, "N"},           {144, "Numlock"},  {96, "Numpad 0"},   {97, "Numpad 1"},
    {98, "Numpad 2"},    {99, "Numpad 3"},  {100, "Numpad 4"},  {101, "Numpad 5"},
    {102, "Numpad 6"},   {103, "Numpad 7"}, {104, "Numpad 8"},  {105, "Numpad 9"},
    {79, "O"},           {80, "P"},         {34, "Pagedown"},   {33, "Pageup"},
    {19, "Pause"},       {42, "Print"},     {81, "Q"},          {82, "R"},
    {2, "RButton"},      {13, "Enter"},     {39, "Right"},      {83, "S"},
    {145, "ScrollLock"}, {41, "Select"},    {108, "Separator"}, {16, "Shift"},
    {44, "Snapshot"},    {32, "Space"},     {109, "-"},         {84, "T"},
    {9, "Tab"},          {85, "U"},         {38, "Up"},         {86, "V"},
    {87, "W"},           {88, "X"},         {89, "Y"},          {90, "Z"},
}};

namespace {

// The entry latest in scan order that is down or was pressed since the previous query.
const KeyEntry* Scan(KeyState& keys) {
    const KeyEntry* found = nullptr;
    // Every key is asked, even after a hit, so that each one's "pressed since the previous
    // query" state is consumed the same way at every scan.
    for (const KeyEntry& entry : kKeyTable) {
        if (keys.Query(entry.code) != 0) found = &entry;
    }
    return found;
}

}  // namespace

PressedKey GetPressedKey(bool ReturnName, KeyState& keys, MessagePump& pump) {
    const KeyEntry* found = Scan(keys);
    pump.DoEvents();
    if (ReturnName) return found ? found->name : kNoKeyName;
    return found ? found->code : kNoKeyCode;
}

std::optional<std::string_view> KeyNameOf(std::int32_t code) {
    for (const KeyEntry& entry : kKeyTable) {
        if (entry.code == code) return entry.name;
    }
    return std::nullopt;
}

}  // namespace kestrune
