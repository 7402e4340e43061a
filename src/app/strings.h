// The program's texts by string id: the built-in English table, looked up through the
// translation when one is loaded.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace app {

// The text of a string id ("" when the id has no text). 8-bit text in the program's code page.
std::string LoadString(int id);

// The built-in text only, bypassing any translation (nullptr when the id is unknown).
const char* BuiltinString(int id);

// Calls fn(id, text) for every built-in string, ids ascending.
void ForEachBuiltinString(const std::function<void(int, const char*)>& fn);

// A translation answers the text of an id, or nullptr to fall back to the built-in text.
using Translator = std::function<const char*(int id)>;
void SetTranslator(Translator translator);

// Replaces %1 ... %9 in a pattern with the arguments (a missing argument leaves the marker).
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// The first line of a text (menu texts are the first line of their strings).
std::string FirstLine(std::string_view text);

}  // namespace app
