#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/model/PanelConversions.h"
#include "clipboard/ClipboardItem.h"
#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/LargeTextSearch.h"
#include "clipboard/PasteService.h"
#include "converters/Converters.h"
#include "foundation/BackgroundTask.h"
#include "foundation/Published.h"
#include "foundation/Scheduler.h"
#include "platform/KeySynth.h"
#include "platform/Workspace.h"

namespace pindrake::app {

// Everything behind the history panel: the search, the filtered entries and the selection, the
// converter menu with its previews (converted by PanelConversions), and the paste, copy and
// delete actions. The views only read the published state and call the
// operations. Main thread only; always owned by a shared pointer, so that queued work can tell
// when it is gone.
class HistoryViewModel : public std::enable_shared_from_this<HistoryViewModel> {
  public:
    // Shared, never changed once published: a filter costs no copy per observer.
    using ItemList = std::shared_ptr<const clipboard::HistoryList>;
    using ConverterList = converters::ConverterList;
    using CandidateSource = std::function<ConverterList(
        const clipboard::ContentTags& tags, const std::set<std::string>& pasteboardTypes,
        bool hasImage, bool hasText)>;

    struct Services {
        Scheduler& main;
        clipboard::HistoryStore& historyStore;
        clipboard::PasteService& pasteService;
        const platform::KeySynth& keySynth;
        platform::Workspace& workspace;
        const converters::ConversionServices& conversion;
        // Runs a job off the main queue: where a conversion's input is read from its entry, since
        // copying a large text or checking an image would hold up the main thread, and where the
        // texts kept apart are searched.
        std::function<void(std::function<void()>)> onWorker;
        CandidateSource candidates = &converters::Converters::candidates;
    };

    static constexpr Duration pasteDelay = std::chrono::milliseconds(200);

    static std::shared_ptr<HistoryViewModel> create(Services services);
    HistoryViewModel(const HistoryViewModel&) = delete;
    HistoryViewModel& operator=(const HistoryViewModel&) = delete;

    // The search text; every assignment filters at once.
    Published<std::string> query;
    // The entries shown, newest first.
    Published<ItemList> filteredItems;
    // The whole texts kept apart are still being searched for the query: more may join.
    Published<bool> isSearching{false};
    // Position in `filteredItems`; 0 when it is empty. Every assignment refreshes the
    // converter candidates (unless the converter menu is open).
    Published<int> selectedIndex{0};
    // The views animate the converter column in (0.15 s, ease in and out) only when this
    // becomes true; closing is not animated.
    Published<bool> isConverterMenuOpen{false};
    Published<ConverterList> converterCandidates;
    Published<int> selectedConverterIndex{0};
    Published<std::optional<std::string>> convertedPreviewText;
    // An AI preview of the highlighted converter is awaited.
    Published<bool> isConvertingPreview{false};
    // Keys (see `aiKey`) of the AI conversions that are running.
    Published<std::set<std::string>> aiLoadingKeys;
    // A paste that converts first waits for its result; the panel stays open meanwhile.
    Published<bool> isConvertingForPaste{false};
    // A paste was refused because key presses cannot be sent; the views clear it.
    Published<bool> accessibilityDenied{false};
    // Set by every keyboard move; the list scrolls to the selection and clears it.
    bool scrollToSelection = false;

    // "<entry id>:<converter id>", the entry id in upper case.
    static std::string aiKey(const clipboard::ClipboardItem& item, const converters::Converter& c) {
        return PanelConversions::aiKey(item, c);
    }

    // The entry the open converter menu works on.
    const clipboard::ClipboardItem* converterTargetItem() const { return converterTarget_.get(); }
    // The entry that paste and the preview pane act on: the menu's target while the menu is
    // open (the selection may have moved under it), otherwise the selected entry.
    const clipboard::ClipboardItem* actionItem() const { return actionEntry().get(); }
    // Kept AI results, expired ones included until a pruning drops them.
    std::size_t aiResultCacheSize() const { return conversions_->aiResultCacheSize(); }

    void resetForShow();
    void applyFilter(const std::string& query, int selectedIndex, bool resetSelection);
    void moveSelectionUp();
    void moveSelectionDown();

    void openConverterMenu();
    void closeConverterMenu();
    void selectConverter(int position);
    void updateConvertedPreview();

    // Pastes the entry, or the highlighted converter's result, into `previousApp` after
    // `dismiss` has hidden the panel. A paste that still has to convert waits for the result
    // with the panel open, taking over the preview's conversion when that is still to come; a
    // hide, a new show, closing the menu or another highlight calls it off. Once the panel is
    // gone, a new show still calls off a paste that has not written: its key would reach us.
    void pasteSelected(const std::shared_ptr<clipboard::ClipboardMonitor>& monitor,
                       const std::optional<platform::RunningApplication>& previousApp,
                       std::function<void()> dismiss);
    // Copy acts on the same entry as paste, and calls `copied` once that entry is on the
    // clipboard (it is read off the main thread first); delete acts on the selected one and
    // returns whether it did. So the views confirm only what happened. The converter menu closes
    // as soon as its entry leaves the history, so that nothing acts on an entry that is gone.
    void copySelected(const std::shared_ptr<clipboard::ClipboardMonitor>& monitor,
                      std::function<void()> copied);
    bool deleteSelected();

    // The panel controller reports a show's first frame on screen, and every hide.
    void panelDidAppear();
    void panelDidHide();
    // Calls off every paste that has not written yet: a window of ours is about to take the
    // keyboard, and its key would go there. Done by every show.
    void callOffPastes();

  private:
    explicit HistoryViewModel(Services services);
    void subscribe();
    clipboard::HistoryList::Entry actionEntry() const;

    // The entries that match at once; those found later in the whole of a text kept apart join
    // them (`joinFound`).
    ItemList filtered(const std::string& query);
    void cancelSearch();
    // Publishes the list with the selection at `index`, or at its last entry if shorter.
    void publishFiltered(ItemList list, int index);
    // A change to the history keeps the selection on the entry it was on, wherever that entry
    // now stands: what the user chose is what Return pastes. When the entry has left the list,
    // the selection stays where it was, on the entry that took its place.
    void refilterKeepingSelection();
    void publishKeepingSelection(ItemList list);
    // An entry found later takes its place in history order; the selection stays on its entry.
    void joinFound(const clipboard::HistoryList::Entry& found);
    void refreshCandidatesIfNeeded(int position);
    bool isInHistory(const clipboard::ClipboardItem& item) const;
    // An entry removed from the history leaves nothing for its menu to act on.
    void closeConverterMenuIfTargetGone();
    const converters::Converter* highlightedConverter() const;
    bool isHighlighted(const std::string& converterId, const std::string& itemId) const;

    // Reactivates, dismisses, and pastes after the delay.
    void pasteLater(std::function<void(HistoryViewModel&)> paste,
                    const std::optional<platform::RunningApplication>& previousApp,
                    const std::function<void()>& dismiss);

    Services services_;
    // Shared with the history: the menu's entry costs no copy of what it holds.
    clipboard::HistoryList::Entry converterTarget_;
    bool suppressItemsUpdate_ = false;
    std::optional<std::string> lastCandidateKey_;
    // Owned here alone: it is gone with the model.
    std::shared_ptr<PanelConversions> conversions_;
    // A paste waiting for the application in front to take the keyboard back.
    CancellationToken pendingPaste_;
    std::vector<Subscription> subscriptions_;
    // The history the last filter searched, in whose order entries found later join.
    clipboard::HistoryList searched_;
    clipboard::LargeTextSearch largeTextSearch_;
};

}  // namespace pindrake::app
