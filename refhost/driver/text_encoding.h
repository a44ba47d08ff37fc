// Conversions between the code pages people and files use here: order files
// in Windows-1250, the host's texts in Mazovia, and UTF-8 on the terminal, in
// JSON and in the catalogue.
#pragma once

#include <optional>
#include <string>

namespace tool {

// Windows-1250 to UTF-8 is driver::Utf8FromWindows1250 (system_message_box.h).
// Mazovia bytes to UTF-8; the markup bytes 0x01, 0x02 and 0x05 stay as they are.
std::string Utf8FromMazovia(const std::string& bytes);
// UTF-8 to Mazovia. Empty when the text is not valid UTF-8 or holds a
// character the host's code page lacks; *offending then names it.
std::optional<std::string> MazoviaFromUtf8(const std::string& text, std::string* offending = nullptr);
// Number of characters (code points) of a UTF-8 text: its width on the terminal.
int Utf8Width(const std::string& text);

}  // namespace tool
