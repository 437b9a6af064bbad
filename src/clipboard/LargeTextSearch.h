#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "clipboard/HistoryList.h"
#include "clipboard/LargeTexts.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"

namespace pindrake::clipboard {

// Finds a query in the whole texts kept apart (LargeTexts), of which the store's search sees
// only the beginning the entries keep. The texts are read on a worker, a slice at a time, so
// the main thread never reads them and the worker's other jobs wait at most a slice. A file that
// is not the text the history recorded holds nothing, as it pastes nothing: a file that holds the
// query is still read to its end, where its check is known. What a search learnt about an entry
// holds while the query only grows or only shrinks, so typing a word reads each text about once.
// Main thread only.
class LargeTextSearch {
  public:
    using OnWorker = std::function<void(std::function<void()>)>;
    using Found = std::function<void(const HistoryList::Entry&)>;

    // Read from a text at a time, and read in one slice at most: bounds the memory of a search
    // and how long a job queued behind it waits.
    static constexpr std::size_t pieceBytes = LargeTexts::pieceBytes;
    static constexpr std::size_t sliceBytes = 8 << 20;

    LargeTextSearch(Scheduler& main, std::shared_ptr<const LargeTexts> texts, OnWorker onWorker);
    ~LargeTextSearch();
    LargeTextSearch(const LargeTextSearch&) = delete;
    LargeTextSearch& operator=(const LargeTextSearch&) = delete;

    // Calls off the search running and starts one for `query` in the entries of `history` whose
    // text is kept apart and not in `found`, the store's result for the query over `history`.
    // Gives back `found` with the entries already known to hold the query, in history order;
    // `more` gets each entry found later, on the main queue, and `ended` runs once every text is
    // read, unless this search was called off. When nothing is left to read, `isSearching` is
    // false on return and `ended` never runs.
    HistoryList start(std::string_view query, const HistoryList& history, const HistoryList& found,
                      Found more, std::function<void()> ended = {});
    // Nothing more of the search running is found.
    void cancel();
    bool isSearching() const { return running_ != nullptr; }

  private:
    struct Run;
    struct Slice;

    // `found` with the entries known to hold the query, in history order.
    HistoryList withKnownHolders(const HistoryList& history, const HistoryList& found) const;
    // Keeps what is known about the entries that still holds for `foldedQuery`.
    void carryKnowledgeOver(const std::string& foldedQuery);
    void searchNextSlice(const std::shared_ptr<Run>& run);
    void takeSlice(const std::shared_ptr<Run>& run, Slice slice);

    Scheduler& main_;
    std::shared_ptr<const LargeTexts> texts_;
    OnWorker onWorker_;
    std::string foldedQuery_;
    std::set<HistoryList::Entry> holding_;
    std::set<HistoryList::Entry> lacking_;
    std::shared_ptr<Run> running_;
    Found more_;
    std::function<void()> ended_;
    PendingCompletions<Slice> slices_;
};

}  // namespace pindrake::clipboard
