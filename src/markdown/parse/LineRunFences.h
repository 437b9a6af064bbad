#pragma once

#include <cmark-gfm.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "markdown/parse/ParseOptions.h"
#include "markdown/parse/TrimmedLine.h"

namespace pindrake::markdown {

// Whether a line that would join a line run stands inside fenced code, as cmark-gfm reads the
// run: a fence may open on a list item's marker line or in a block quote, and it closes with
// the containers that hold it. cmark reads each line of a run at most once, and not at all
// while the run holds no three backticks or tildes in a row.
class LineRunFences {
  public:
    explicit LineRunFences(ParseOptions options) noexcept : options_(options) {}
    ~LineRunFences();
    LineRunFences(const LineRunFences&) = delete;
    LineRunFences& operator=(const LineRunFences&) = delete;

    // Whether `next`, read after `lines`, is fenced code; each line is read without up to
    // `width` leading blanks, as the run is parsed. `run` names the run: between two calls
    // about one run its lines grow by at most the line asked about the first time (which is
    // then not read again), and a line that is no fenced code is asked about only when, so,
    // it ends the run.
    bool holdsInFence(std::size_t run, const std::vector<TrimmedLine>& lines,
                      const TrimmedLine& next, std::size_t width);
    // Lets the run read last go, and its memory with it.
    void startOver(std::optional<std::size_t> run = std::nullopt);

  private:
    void read(const TrimmedLine& line, std::size_t width);

    ParseOptions options_;
    std::optional<std::size_t> run_;
    std::size_t scanned_ = 0;  // lines looked at for fence characters
    std::size_t read_ = 0;     // lines cmark has read, the last one asked about included
    bool lastHeld_ = false;
    cmark_parser* parser_ = nullptr;
};

}  // namespace pindrake::markdown
