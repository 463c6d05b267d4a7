// The keys of the viewer: one table of key, modifiers and command. The toolbar's action
// words are commands of the same set, so a key and a button run the same code.
#pragma once

#include <span>
#include <string>

#include "platform/Platform.h"

namespace zylora::app {

struct KeyBinding {
    int key;                     // virtual-key code
    platform::ShiftState shift;  // exactly these modifiers, no others
    const char* keyName;         // as the key list shows it
    const char* command;
};

std::span<const KeyBinding> KeyBindings();

// The binding of the key with exactly these modifiers; null for none.
const KeyBinding* BindingOf(int key, platform::ShiftState shift);

// What the command does, in a few words; the command itself when it has none.
std::string CommandDescription(const std::string& command);

// Every key and its command, a line for each command in the table's order: its keys, a tab,
// what it does.
std::string KeyListText();

}  // namespace zylora::app
