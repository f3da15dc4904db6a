#include "common/ConsolePrompts.h"

#include "common/EscapeForTerminal.h"

#include <cctype>
#include <cstring>
#include <iostream>
#include <string_view>

ConsolePrompts::ConsolePrompts(std::ostream& stream, std::istream* terminal)
    : out(stream), answers_(terminal) {}

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

void ConsolePrompts::MessageWithDetails(const std::string& text, const std::string& details) {
    Message(text);
    if (verbose_ && !details.empty())
        Message(details);
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

char ConsolePrompts::ReadChoice(const std::string& question, const char* choices,
                                const char* letters) {
    Message(question);
    for (std::string line; answers_;) {
        out << choices << std::flush;
        if (!std::getline(*answers_, line))
            break;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        const char letter =
            static_cast<char>(std::tolower(static_cast<unsigned char>(line[first])));
        if (std::strchr(letters, letter))
            return letter;
    }
    out << '\n' << std::flush;
    return 0;
}

Prompts::Answer ConsolePrompts::Ask(const std::string& question, Buttons buttons) {
    if (!answers_)
        return Prompts::Ask(question, buttons);
    switch (buttons) {
    case Buttons::RetryCancel:
        return ReadChoice(question, "[R]etry or [C]ancel? ", "rc") == 'r' ? Answer::Retry
                                                                          : Answer::Cancel;
    case Buttons::YesNo:
        return ReadChoice(question, "[Y]es or [N]o? ", "yn") == 'y' ? Answer::Yes : Answer::No;
    case Buttons::YesNoCancel:
        switch (ReadChoice(question, "[Y]es, [N]o or [C]ancel? ", "ync")) {
        case 'y':
            return Answer::Yes;
        case 'n':
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    return Answer::Cancel;
}

Prompts::SaveChoice ConsolePrompts::AskToSave(const std::string& question) {
    if (!answers_)
        return Prompts::AskToSave(question);
    switch (ReadChoice(question, "[S]ave, [D]iscard or [C]ancel? ", "sdc")) {
    case 's':
        return SaveChoice::Save;
    case 'd':
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}
