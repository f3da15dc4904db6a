#include "common/ConsolePrompts.h"

#include <iostream>

ConsolePrompts::ConsolePrompts(std::ostream& stream) : out(stream) {}

ConsolePrompts::ConsolePrompts() : ConsolePrompts(std::cout) {}

void ConsolePrompts::Message(const std::string& text) {
    out << text << '\n' << std::flush;
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
