#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace mapvale::cli {

// A message box as one console message: "[caption] text" (the text alone without a caption),
// without the blank lines and blanks the box's text starts or ends with.
std::string BoxMessage(std::string_view text, std::string_view caption);

// Where the console front end reads a person's answers.
class LineReader {
public:
    virtual ~LineReader() = default;
    // The next line without its line end; nothing at the end of the input or after an interrupt
    // (Ctrl-C).
    virtual std::optional<std::string> ReadLine() = 0;
    // A line typed without echo (a password) where the input is a terminal.
    virtual std::optional<std::string> ReadSecret() { return ReadLine(); }
    // Whether a person can answer: the input is a terminal.
    virtual bool interactive() const = 0;
};

// Lines from a stream (tests, or input piped in by a script).
class StreamLineReader final : public LineReader {
public:
    StreamLineReader(std::istream& in, bool interactive) : in_(in), interactive_(interactive) {}
    std::optional<std::string> ReadLine() override;
    bool interactive() const override { return interactive_; }

private:
    std::istream& in_;
    bool interactive_;
};

// Standard input: waits in short polls so that an interrupt ends a question, and reads a
// secret with the terminal's echo switched off.
class StdinLineReader final : public LineReader {
public:
    StdinLineReader();
    std::optional<std::string> ReadLine() override;
    std::optional<std::string> ReadSecret() override;
    bool interactive() const override { return interactive_; }

private:
    bool interactive_;
    std::string pending_;  // read beyond the last line
    bool ended_ = false;
};

// The console's output: messages as lines, and the progress line, which a terminal rewrites in
// place ('\r') while other outputs get it as a line of its own. A message printed while a
// progress line is open first ends that line, so nothing is written over.
class Console {
public:
    Console(std::ostream& out, LineReader& in, bool terminal_output)
        : out_(out), in_(in), terminal_(terminal_output) {}

    // One message; its own line(s).
    void Print(std::string_view text);
    // A question's prompt, left open for the answer.
    void Prompt(std::string_view text);
    // The progress line: rewritten on a terminal, a new line otherwise.
    void Progress(std::string_view line);
    // Ends an open progress line.
    void EndProgress();

    LineReader& input() { return in_; }
    bool terminal() const { return terminal_; }

private:
    std::ostream& out_;
    LineReader& in_;
    bool terminal_;
    bool progress_open_ = false;
};

}  // namespace mapvale::cli
