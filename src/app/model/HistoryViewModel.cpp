#include "app/model/HistoryViewModel.h"

#include <algorithm>

namespace pindrake::app {

using clipboard::ClipboardContent;
using clipboard::ClipboardItem;

namespace {

constexpr std::string_view pasteAsIsId = "paste.asis";

// The registry's answer depends on the kinds, the types and whether there is an image. The key
// spells them out in full (each type with its length, since a type name may hold any byte), so
// two different entries never share a key.
std::string candidateKey(const ClipboardItem& item) {
    std::string key;
    for (const auto tag : item.tags)
        key += std::string(clipboard::rawValue(tag)) + ',';
    key += '|';
    for (const auto& type : item.pasteboardTypes)
        key += std::to_string(type.size()) + ':' + type;
    key += item.imageFilename ? "|image" : "|none";
    return key;
}

}  // namespace

std::shared_ptr<HistoryViewModel> HistoryViewModel::create(Services services) {
    std::shared_ptr<HistoryViewModel> model(new HistoryViewModel(std::move(services)));
    model->subscribe();
    return model;
}

HistoryViewModel::HistoryViewModel(Services services)
    : filteredItems(std::make_shared<const clipboard::HistoryList>()),
      services_(std::move(services)),
      conversions_(std::make_shared<PanelConversions>(
          PanelConversions::Services{
              services_.main, services_.historyStore, services_.conversion, services_.onWorker,
              [this](const std::string& converterId, const std::string& itemId) {
                  return isHighlighted(converterId, itemId);
              }},
          PanelConversions::Shown{convertedPreviewText, isConvertingPreview, aiLoadingKeys,
                                  isConvertingForPaste})),
      largeTextSearch_(services_.main, services_.historyStore.largeTexts(), services_.onWorker) {}

void HistoryViewModel::subscribe() {
    const auto self = shared_from_this();
    subscriptions_.push_back(query.subscribe<HistoryViewModel>(
        self,
        [](HistoryViewModel& model, const std::string& q) { model.applyFilter(q, 0, true); }));
    subscriptions_.push_back(services_.historyStore.items().subscribe<HistoryViewModel>(
        self, [](HistoryViewModel& model, const clipboard::HistoryList&) {
            if (model.suppressItemsUpdate_)
                return;
            model.closeConverterMenuIfTargetGone();
            model.refilterKeepingSelection();
        }));
    subscriptions_.push_back(selectedIndex.subscribe<HistoryViewModel>(
        self, [](HistoryViewModel& model, const int& i) { model.refreshCandidatesIfNeeded(i); }));
}

clipboard::HistoryList::Entry HistoryViewModel::actionEntry() const {
    if (isConverterMenuOpen.get() && converterTarget_)
        return converterTarget_;
    const auto& entries = filteredItems.get()->entries();
    const int i = selectedIndex.get();
    if (i < 0 || i >= static_cast<int>(entries.size()))
        return nullptr;
    return entries[static_cast<std::size_t>(i)];
}

bool HistoryViewModel::isInHistory(const ClipboardItem& item) const {
    const auto& items = services_.historyStore.items().get();
    return std::any_of(items.begin(), items.end(),
                       [&](const ClipboardItem& kept) { return kept.id == item.id; });
}

void HistoryViewModel::closeConverterMenuIfTargetGone() {
    if (isConverterMenuOpen.get() && converterTarget_ && !isInHistory(*converterTarget_))
        closeConverterMenu();
}

// ---- Search and selection

HistoryViewModel::ItemList HistoryViewModel::filtered(const std::string& q) {
    auto& store = services_.historyStore;
    searched_ = store.items().get();
    if (q.empty()) {
        cancelSearch();
        return std::make_shared<const clipboard::HistoryList>(searched_);
    }
    auto found = std::make_shared<const clipboard::HistoryList>(largeTextSearch_.start(
        q, searched_, store.search(q),
        [this](const clipboard::HistoryList::Entry& entry) { joinFound(entry); },
        [this] { isSearching = false; }));
    isSearching = largeTextSearch_.isSearching();
    return found;
}

void HistoryViewModel::cancelSearch() {
    largeTextSearch_.cancel();
    isSearching = false;
}

void HistoryViewModel::publishFiltered(ItemList list, int index) {
    const int count = static_cast<int>(list->size());
    filteredItems = std::move(list);
    selectedIndex = std::min(index, std::max(count - 1, 0));
}

void HistoryViewModel::applyFilter(const std::string& q, int index, bool resetSelection) {
    publishFiltered(filtered(q), resetSelection ? 0 : index);
}

void HistoryViewModel::refilterKeepingSelection() {
    publishKeepingSelection(filtered(query.get()));
}

void HistoryViewModel::publishKeepingSelection(ItemList list) {
    int index = selectedIndex.get();
    const auto& old = filteredItems.get()->entries();
    if (index >= 0 && index < static_cast<int>(old.size())) {
        const auto& entries = list->entries();
        const auto kept = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
            return entry->id == old[static_cast<std::size_t>(index)]->id;
        });
        if (kept != entries.end())
            index = static_cast<int>(kept - entries.begin());
    }
    publishFiltered(std::move(list), index);
}

void HistoryViewModel::joinFound(const clipboard::HistoryList::Entry& found) {
    const auto& shown = filteredItems.get()->entries();
    std::vector<clipboard::HistoryList::Entry> joined;
    joined.reserve(shown.size() + 1);
    auto nextShown = shown.begin();
    for (const auto& entry : searched_.entries()) {
        if (nextShown != shown.end() && *nextShown == entry) {
            joined.push_back(entry);
            ++nextShown;
        } else if (entry == found) {
            joined.push_back(entry);
        }
    }
    publishKeepingSelection(std::make_shared<const clipboard::HistoryList>(std::move(joined)));
}

void HistoryViewModel::refreshCandidatesIfNeeded(int position) {
    if (isConverterMenuOpen.get())
        return;
    const auto& items = *filteredItems.get();
    if (position < 0 || position >= static_cast<int>(items.size())) {
        lastCandidateKey_.reset();
        converterCandidates = ConverterList{};
        return;
    }
    const ClipboardItem& item = items[static_cast<std::size_t>(position)];
    std::string key = candidateKey(item);
    if (lastCandidateKey_ == key)
        return;
    lastCandidateKey_ = std::move(key);
    converterCandidates =
        services_.candidates(item.tags, item.pasteboardTypes, item.imageFilename.has_value(),
                             item.plainText.has_value());
}

void HistoryViewModel::moveSelectionDown() {
    if (isConverterMenuOpen.get()) {
        const int n = static_cast<int>(converterCandidates->size());
        if (n == 0)
            return;
        selectedConverterIndex = (selectedConverterIndex.get() + 1) % n;
        updateConvertedPreview();
    } else {
        const int n = static_cast<int>(filteredItems.get()->size());
        if (n == 0)
            return;
        selectedIndex = (selectedIndex.get() + 1) % n;
    }
    scrollToSelection = true;
}

void HistoryViewModel::moveSelectionUp() {
    if (isConverterMenuOpen.get()) {
        const int n = static_cast<int>(converterCandidates->size());
        if (n == 0)
            return;
        selectedConverterIndex = (selectedConverterIndex.get() - 1 + n) % n;
        updateConvertedPreview();
    } else {
        const int n = static_cast<int>(filteredItems.get()->size());
        if (n == 0)
            return;
        selectedIndex = (selectedIndex.get() - 1 + n) % n;
    }
    scrollToSelection = true;
}

void HistoryViewModel::resetForShow() {
    callOffPastes();
    query = std::string();
    isConverterMenuOpen = false;
    selectedIndex = 0;
    selectedConverterIndex = 0;
    converterTarget_.reset();
    converterCandidates = ConverterList{};
    lastCandidateKey_.reset();
    conversions_->clearPreview();
    applyFilter(std::string(), 0, true);
}

// The panel may convert from now on: a helper starts, so that the first conversion is quick.
// Not before: its start takes the CPU the panel's first frame needs.
void HistoryViewModel::panelDidAppear() {
    if (services_.conversion.helpers)
        services_.conversion.helpers->keepWarm();
}

void HistoryViewModel::panelDidHide() {
    conversions_->callOffPaste();
    // No one sees the list until the next show, which starts with an empty query.
    cancelSearch();
    // A preview running or waiting would otherwise keep a conversion helper for a closed panel.
    conversions_->stopPreview();
    if (services_.conversion.helpers)
        services_.conversion.helpers->letGo();
}

void HistoryViewModel::callOffPastes() {
    conversions_->callOffPaste();
    pendingPaste_.cancel();
    services_.pasteService.callOff();
}

// ---- Converter menu and previews

void HistoryViewModel::openConverterMenu() {
    if (isConverterMenuOpen.get() || filteredItems.get()->empty())
        return;
    // The candidates must be those of the entry the menu opens on, whatever happened while
    // the menu was last open.
    refreshCandidatesIfNeeded(selectedIndex.get());
    auto target = actionEntry();
    if (!target || converterCandidates->empty())
        return;
    converterTarget_ = std::move(target);
    selectedConverterIndex = 0;
    conversions_->clearPreview();
    isConverterMenuOpen = true;
}

void HistoryViewModel::closeConverterMenu() {
    if (!isConverterMenuOpen.get())
        return;
    conversions_->callOffPaste();
    isConverterMenuOpen = false;
    selectedConverterIndex = 0;
    conversions_->clearPreview();
    // The selection may have moved while the menu kept its candidates.
    refreshCandidatesIfNeeded(selectedIndex.get());
}

void HistoryViewModel::selectConverter(int position) {
    if (!isConverterMenuOpen.get())
        openConverterMenu();
    if (!isConverterMenuOpen.get() || position < 0 ||
        position >= static_cast<int>(converterCandidates->size()))
        return;
    selectedConverterIndex = position;
    updateConvertedPreview();
}

const converters::Converter* HistoryViewModel::highlightedConverter() const {
    const auto& candidates = converterCandidates.get();
    const int i = selectedConverterIndex.get();
    if (i < 0 || i >= static_cast<int>(candidates.size()))
        return nullptr;
    return candidates[static_cast<std::size_t>(i)];
}

bool HistoryViewModel::isHighlighted(const std::string& converterId,
                                     const std::string& itemId) const {
    const auto* converter = highlightedConverter();
    return converter && converter->id() == converterId && converterTarget_ &&
           converterTarget_->id == itemId;
}

void HistoryViewModel::updateConvertedPreview() {
    const auto* converter = converterTarget_ ? highlightedConverter() : nullptr;
    if (!converter || converter->id() == pasteAsIsId)
        return conversions_->clearPreview();
    conversions_->showPreview(*converter, converterTarget_);
}

// ---- Paste, copy and delete

void HistoryViewModel::pasteSelected(const std::shared_ptr<clipboard::ClipboardMonitor>& monitor,
                                     const std::optional<platform::RunningApplication>& previousApp,
                                     std::function<void()> dismiss) {
    // One paste that converts first at a time: a second Return must not paste twice.
    if (conversions_->isConvertingForPaste())
        return;
    if (!services_.keySynth.isTrusted()) {
        accessibilityDenied = true;
        return;
    }
    const auto entry = actionEntry();
    const auto* converter = highlightedConverter();
    if (filteredItems.get()->empty() || !entry || !converter)
        return;

    if (converter->id() == pasteAsIsId) {
        pasteLater(
            [entry, monitor](HistoryViewModel& self) {
                self.services_.pasteService.paste(entry, self.services_.historyStore, monitor);
            },
            previousApp, dismiss);
        return;
    }
    if (const auto& preview = convertedPreviewText.get()) {
        ClipboardContent content;
        content.plainText = *preview;
        content.tags = {clipboard::ContentTag::plainText};
        pasteLater(
            [content, monitor](HistoryViewModel& self) {
                self.services_.pasteService.paste(content, monitor);
            },
            previousApp, dismiss);
        return;
    }
    std::weak_ptr<HistoryViewModel> weak = weak_from_this();
    conversions_->convertForPaste(
        *converter, entry, [weak, monitor, previousApp, dismiss](ClipboardContent result) {
            if (auto self = weak.lock()) {
                self->pasteLater(
                    [result = std::move(result), monitor](HistoryViewModel& m) {
                        m.services_.pasteService.paste(result, monitor);
                    },
                    previousApp, dismiss);
            }
        });
}

void HistoryViewModel::pasteLater(std::function<void(HistoryViewModel&)> paste,
                                  const std::optional<platform::RunningApplication>& previousApp,
                                  const std::function<void()>& dismiss) {
    if (previousApp)
        services_.workspace.activate(*previousApp);
    if (dismiss)
        dismiss();
    pendingPaste_.cancel();
    pendingPaste_ = CancellationToken();
    std::weak_ptr<HistoryViewModel> weak = weak_from_this();
    services_.main.postAfter(pasteDelay, [weak, token = pendingPaste_, paste = std::move(paste)] {
        auto self = weak.lock();
        if (self && !token.isCancelled())
            paste(*self);
    });
}

void HistoryViewModel::copySelected(const std::shared_ptr<clipboard::ClipboardMonitor>& monitor,
                                    std::function<void()> copied) {
    const auto entry = actionEntry();
    if (!entry)
        return;
    services_.pasteService.restore(entry, services_.historyStore, monitor,
                                   [copied = std::move(copied)](bool written) {
                                       if (written)
                                           copied();
                                   });
}

bool HistoryViewModel::deleteSelected() {
    const auto& items = *filteredItems.get();
    const int i = selectedIndex.get();
    if (i < 0 || i >= static_cast<int>(items.size()))
        return false;
    const ClipboardItem entry = items[static_cast<std::size_t>(i)];
    // The store's change must not send the selection back to the top.
    suppressItemsUpdate_ = true;
    services_.historyStore.remove(entry);
    suppressItemsUpdate_ = false;
    closeConverterMenuIfTargetGone();
    applyFilter(query.get(), i, false);
    return true;
}

}  // namespace pindrake::app
