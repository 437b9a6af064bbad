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
    // `width` leading blanks, as the run will be parsed. `run` names the run, and another name
    // starts over. cmark reads `next` at once, so between two calls about one run the run
    // gains at most the line asked about before: a line asked about joins the run when it is
    // fenced code and ends the run when it is not.
    bool holdsInFence(std::size_t run, const std::vector<TrimmedLine>& lines,
                      const TrimmedLine& next, std::size_t width);
    // Forgets the run read so far, freeing its memory; `run` names the next one, if known.
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
