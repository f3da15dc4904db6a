#include "common/ConsolePrompts.h"

#include "common/EscapeForTerminal.h"

#include <iostream>
#include <string_view>

ConsolePrompts::ConsolePrompts(std::ostream& stream) : out(stream) {}

ConsolePrompts::ConsolePrompts() : ConsolePrompts(std::cout) {}

void ConsolePrompts::Message(const std::string& text) {
    const std::string_view message(text);
    for (std::size_t start = 0;;) {
        const std::size_t end = message.find('\n', start);
        WriteLine(message.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        out << '\n';
        start = end + 1;
    }
    out << '\n' << std::flush;
}

// A clean line, backslashes and all, stays as it is, so that text escaped before (an entry
// name in a refusal) is not escaped twice.
void ConsolePrompts::WriteLine(std::string_view line) {
    if (HoldsTerminalControls(line))
        out << EscapeForTerminal(line);
    else
        out << line;
}

bool ConsolePrompts::OpenFile(const FileDialogOptions&, std::string& path) {
    return TakeAnswer(path);
}

bool ConsolePrompts::SaveFile(const FileDialogOptions&, std::string& path) {
    return TakeAnswer(path);
}

bool ConsolePrompts::BrowseFolder(const std::string&, std::string& folder) {
    return TakeAnswer(folder);
}

void ConsolePrompts::AnswerNextDialog(const std::string& path) {
    answers.push_back(path);
}

bool ConsolePrompts::TakeAnswer(std::string& result) {
    if (answers.empty())
        return false;
    result = answers.front();
    answers.pop_front();
    return true;
}
