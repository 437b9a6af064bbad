#include "clipboard/LargeTextSearch.h"

#include <optional>
#include <utility>

#include "clipboard/FoldedTextScan.h"
#include "foundation/BackgroundTask.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard {

// What a search has still to read; the worker's while a slice runs, untouched by the main thread
// but for the entries and the token.
struct LargeTextSearch::Run {
    Run(std::shared_ptr<const LargeTexts> texts, std::string foldedQuery,
        std::vector<HistoryList::Entry> entries)
        : texts(std::move(texts)),
          foldedQuery(std::move(foldedQuery)),
          entries(std::move(entries)) {}

    // Reads a slice: what it decided about entries, by position.
    Slice readSlice();
    void begin();
    // The next piece of the text being read: empty at its end, nothing when it cannot be read.
    std::optional<std::string_view> nextPiece();
    void decide(Slice& slice, bool holds);

    const std::shared_ptr<const LargeTexts> texts;
    const std::string foldedQuery;
    const std::vector<HistoryList::Entry> entries;
    CancellationToken token;

    std::size_t next = 0;
    // The text of entries[next]: in memory while its file is not written, else its file. An
    // entry whose text is in neither is what it keeps, which the store has searched.
    std::optional<FoldedTextScan> scan;
    std::shared_ptr<const std::string> inMemory;
    std::size_t offset = 0;
    std::optional<LargeTexts::PieceReader> file;
    // The query was found; a file is still read to its end, which tells whether it is the text.
    bool found = false;
};

struct LargeTextSearch::Slice {
    std::vector<std::pair<std::size_t, bool>> decided;
    bool isLast = false;
};

LargeTextSearch::Slice LargeTextSearch::Run::readSlice() {
    Slice slice;
    std::size_t budget = sliceBytes;
    while (next < entries.size() && budget > 0 && !token.isCancelled()) {
        if (!scan)
            begin();
        const auto piece = nextPiece();
        if (!piece || piece->empty()) {
            decide(slice, piece && (found || scan->finish()));
            continue;
        }
        budget -= std::min(budget, piece->size());
        if (!found && scan->feed(*piece)) {
            // A damaged file holds no text of the entry: it lists the entry no more than it
            // would paste. Only a file with a recorded check can tell, at its end.
            if (inMemory || !file->isChecked())
                decide(slice, true);
            else
                found = true;
        }
    }
    slice.isLast = next == entries.size();
    return slice;
}

void LargeTextSearch::Run::begin() {
    scan.emplace(foldedQuery);
    const auto& id = entries[next]->id;
    inMemory = texts->unwritten(id, TextField::plainText);
    if (inMemory)
        return;
    file = texts->open(id, TextField::plainText);
}

std::optional<std::string_view> LargeTextSearch::Run::nextPiece() {
    if (inMemory) {
        const std::string_view text = *inMemory;
        const auto piece = text.substr(std::min(offset, text.size()), pieceBytes);
        offset += piece.size();
        return piece;
    }
    if (!file)
        return std::nullopt;
    return file->next();
}

void LargeTextSearch::Run::decide(Slice& slice, bool holds) {
    slice.decided.emplace_back(next, holds);
    ++next;
    scan.reset();
    inMemory.reset();
    offset = 0;
    file.reset();
    found = false;
}

LargeTextSearch::LargeTextSearch(Scheduler& main, std::shared_ptr<const LargeTexts> texts,
                                 OnWorker onWorker)
    : main_(main), texts_(std::move(texts)), onWorker_(std::move(onWorker)) {}

LargeTextSearch::~LargeTextSearch() {
    cancel();
}

HistoryList LargeTextSearch::start(std::string_view query, const HistoryList& history,
                                   const HistoryList& found, Found more,
                                   std::function<void()> ended) {
    cancel();
    carryKnowledgeOver(unicode::caseFolded(query));
    std::vector<HistoryList::Entry> toSearch;
    std::set<HistoryList::Entry> holding;
    std::set<HistoryList::Entry> lacking;
    auto nextFound = found.entries().begin();
    for (const auto& entry : history.entries()) {
        if (nextFound != found.entries().end() && *nextFound == entry)
            ++nextFound;
        else if (!entry->plainTextIsStart)
            continue;
        else if (holding_.contains(entry))
            holding.insert(entry);
        else if (lacking_.contains(entry))
            lacking.insert(entry);
        else
            toSearch.push_back(entry);
    }
    // What is known of entries that have left the history goes.
    holding_ = std::move(holding);
    lacking_ = std::move(lacking);
    if (!toSearch.empty()) {
        more_ = std::move(more);
        ended_ = std::move(ended);
        running_ = std::make_shared<Run>(texts_, foldedQuery_, std::move(toSearch));
        searchNextSlice(running_);
    }
    return withKnownHolders(history, found);
}

HistoryList LargeTextSearch::withKnownHolders(const HistoryList& history,
                                              const HistoryList& found) const {
    if (holding_.empty())
        return found;
    std::vector<HistoryList::Entry> shown;
    auto nextFound = found.entries().begin();
    for (const auto& entry : history.entries()) {
        if (nextFound != found.entries().end() && *nextFound == entry) {
            shown.push_back(entry);
            ++nextFound;
        } else if (holding_.contains(entry)) {
            shown.push_back(entry);
        }
    }
    return HistoryList(std::move(shown));
}

void LargeTextSearch::cancel() {
    if (running_)
        running_->token.cancel();
    running_.reset();
    more_ = nullptr;
    ended_ = nullptr;
    slices_.dropAll();
}

void LargeTextSearch::carryKnowledgeOver(const std::string& foldedQuery) {
    // A text that lacks a query lacks every query that holds it; one that holds a query holds
    // every part of it.
    if (foldedQuery == foldedQuery_)
        return;
    if (!holdsFolded(foldedQuery, foldedQuery_))
        lacking_.clear();
    if (!holdsFolded(foldedQuery_, foldedQuery))
        holding_.clear();
    foldedQuery_ = foldedQuery;
}

void LargeTextSearch::searchNextSlice(const std::shared_ptr<Run>& run) {
    auto completion =
        slices_.add(main_, [this, run](Slice slice) { takeSlice(run, std::move(slice)); });
    onWorker_([run, completion] {
        if (!run->token.isCancelled())
            completion->settle(run->readSlice());
    });
}

// Runs only for the search running: calling one off drops its slices.
void LargeTextSearch::takeSlice(const std::shared_ptr<Run>& run, Slice slice) {
    for (const auto& [position, holds] : slice.decided) {
        const auto& entry = run->entries[position];
        (holds ? holding_ : lacking_).insert(entry);
        if (holds) {
            // Copied: what it is told may call this search off, which lets go of it.
            const Found more = more_;
            more(entry);
        }
        // What it was told may have started another search.
        if (run != running_)
            return;
    }
    if (!slice.isLast)
        return searchNextSlice(run);
    running_.reset();
    more_ = nullptr;
    if (const auto ended = std::exchange(ended_, nullptr))
        ended();
}

}  // namespace pindrake::clipboard
