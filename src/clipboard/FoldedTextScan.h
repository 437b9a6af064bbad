#pragma once

#include <string>
#include <string_view>

namespace pindrake::clipboard {

// Whether a case-folded text holds a case-folded query: the history's one matcher, in time
// linear in both whatever they hold.
bool holdsFolded(std::string_view foldedText, std::string_view foldedQuery);

// Looks for a case-folded query in a text that comes in pieces of any size, with the result
// `holdsFolded` gives on the whole text folded: each piece is folded up to its last whole
// character, and the end of the folded text so far is kept, so a match across pieces is found.
// Holds at most a piece and the query at a time.
class FoldedTextScan {
  public:
    explicit FoldedTextScan(std::string foldedQuery) : query_(std::move(foldedQuery)) {}

    // Takes the next piece of the text; whether the query has been found.
    bool feed(std::string_view piece);
    // After the last piece: whether the text holds the query.
    bool finish();
    bool found() const { return found_; }

  private:
    void search(std::string_view bytes);

    std::string query_;
    // The start of a character whose last bytes are still to come.
    std::string unfinished_;
    // The last bytes folded, one fewer than the query's: a match that ends in the next piece
    // begins here.
    std::string foldedTail_;
    bool found_ = false;
};

}  // namespace pindrake::clipboard
