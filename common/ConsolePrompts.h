#pragma once
#include "common/Prompts.h"

#include <deque>
#include <iosfwd>
#include <istream>
#include <string>
#include <string_view>

// Prompts on the command line: messages go to standard output, each followed by a line end;
// each line of a message that holds control characters (from a path, title or entry name)
// is printed escaped with EscapeForTerminal, so that it cannot steer the terminal;
// there are no dialogs, so a dialog yields false (cancelled) unless the command line gave its
// answer beforehand with AnswerNextDialog. Questions are asked only when a terminal answers
// them (`answers`, e.g. std::cin when standard input is a terminal): the question, then a line
// of the choices, read back by their first letter; the end of the input is Cancel. Without a
// terminal every question is cancelled. The details of a message (its cause) are printed on
// the line after it only when verbose. Writing never fails visibly.
class ConsolePrompts : public Prompts {
public:
    explicit ConsolePrompts(std::ostream& out, std::istream* answers = nullptr);
    ConsolePrompts(); // writes to std::cout

    bool CanAsk() const override { return answers_ != nullptr; }
    Answer Ask(const std::string& question, Buttons buttons) override;
    SaveChoice AskToSave(const std::string& question) override;

    void Message(const std::string& text) override;
    void MessageWithDetails(const std::string& text, const std::string& details) override;
    bool OpenFile(const FileDialogOptions& options, std::string& path) override;
    bool SaveFile(const FileDialogOptions& options, std::string& path) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;

    // Queues a path that the next dialog (of any kind) yields as if the user had chosen it,
    // e.g. the --output argument of a build. Answers are used in order.
    void AnswerNextDialog(const std::string& path);
    // Whether the details of messages are printed (--verbose).
    void SetVerbose(bool verbose) { verbose_ = verbose; }

private:
    bool TakeAnswer(std::string& out);
    void WriteLine(std::string_view line);

    // The first letter of a line of `choices`' answers, or 0 at the end of the input.
    char ReadChoice(const std::string& question, const char* choices, const char* letters);

    std::ostream& out;
    std::istream* answers_;
    std::deque<std::string> answers;
    bool verbose_ = false;
};
