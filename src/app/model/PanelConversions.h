#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "clipboard/ClipboardContent.h"
#include "clipboard/HistoryList.h"
#include "clipboard/HistoryStore.h"
#include "converters/Converter.h"
#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Published.h"
#include "foundation/Scheduler.h"

namespace pindrake::app {

// The conversions the panel runs on its entries: the preview of the highlighted converter (one
// conversion at a time, however fast the highlight moves), the AI previews with their results
// kept for a while, and the conversion a paste waits for. A paste with the converter whose
// preview is still to come takes that conversion over rather than run it a second time beside
// it. Main thread only; always owned by a shared pointer, so that queued work can tell when it is
// gone.
class PanelConversions : public std::enable_shared_from_this<PanelConversions> {
  public:
    using Entry = clipboard::HistoryList::Entry;
    using Paste = std::function<void(clipboard::ClipboardContent)>;

    struct Services {
        Scheduler& main;
        clipboard::HistoryStore& historyStore;
        const converters::ConversionServices& conversion;
        // Where a conversion's input is read from its entry: copying a large text or checking an
        // image would hold up the main thread.
        std::function<void(std::function<void()>)> onWorker;
        // Whether the converter is highlighted on the entry now: only then is a late AI result
        // shown.
        std::function<bool(const std::string& converterId, const std::string& itemId)>
            isHighlighted;
    };
    // What the panel shows of the conversions; the view model's.
    struct Shown {
        Published<std::optional<std::string>>& previewText;
        // An AI preview of the highlighted converter is awaited.
        Published<bool>& isConvertingPreview;
        // Keys (see `aiKey`) of the AI conversions that are running.
        Published<std::set<std::string>>& aiLoadingKeys;
        Published<bool>& isConvertingForPaste;
    };

    static constexpr Duration aiStartDelay = std::chrono::milliseconds(500);
    static constexpr Duration aiPollInterval = std::chrono::milliseconds(500);
    static constexpr int aiPollLimit = 60;
    static constexpr Duration aiResultLifetime = std::chrono::seconds(300);
    static constexpr std::size_t aiCachePruneThreshold = 51;

    // "<entry id>:<converter id>", the entry id in upper case.
    static std::string aiKey(const clipboard::ClipboardItem& item, const converters::Converter& c);
    static bool isAI(const converters::Converter& converter);

    PanelConversions(Services services, Shown shown);
    ~PanelConversions() { contentReads_.dropAll(); }
    PanelConversions(const PanelConversions&) = delete;
    PanelConversions& operator=(const PanelConversions&) = delete;

    // Shows the converter's result for the entry once it is known, in place of what was shown.
    void showPreview(const converters::Converter& converter, const Entry& entry);
    // Shows no preview, and stops the one running.
    void clearPreview();
    // Stops the preview running, or waiting to run; what is shown stays.
    void stopPreview();

    // Converts the entry and hands the result to `paste`, unless the paste is called off first:
    // with the preview's conversion while the preview of that converter on that entry is still
    // to come, else with a conversion of its own. The preview stopping calls the paste off.
    void convertForPaste(const converters::Converter& converter, const Entry& entry, Paste paste);
    void callOffPaste();
    bool isConvertingForPaste() const { return paste_.has_value(); }

    // Kept AI results, expired ones included until a pruning drops them.
    std::size_t aiResultCacheSize() const { return aiResultCache_.size(); }

  private:
    // A conversion's input as read from its entry, and the copy a flow keeps to tell a failed
    // conversion, which hands its input back, from a result.
    struct ReadContent {
        clipboard::ClipboardContent input;
        std::shared_ptr<const clipboard::ClipboardContent> copy;
    };
    struct CachedResult {
        std::string text;
        TimePoint expiry;
    };
    // The preview asked for last, running or waiting for the one before to answer.
    struct Preview {
        CancellationToken token;
        // Registry converters live for the whole process.
        const converters::Converter* converter;
        Entry entry;
    };
    struct WaitingPaste {
        CancellationToken token;
        Paste paste;
        // It waits for the preview's conversion rather than one of its own.
        bool onPreview;
    };

    // Reads the entry's content on a worker and hands it to `done` in a later turn, unless this
    // is gone by then; `withCopy` has the worker copy it as well.
    void readContent(const Entry& entry, bool withCopy,
                     std::function<void(PanelConversions&, ReadContent)> done);

    // What a conversion of an entry's content gives, nothing when it was stopped before it began.
    using Converted =
        std::function<void(PanelConversions&, std::optional<clipboard::ClipboardContent>)>;
    // Converts the entry's content, stopped by `token`, and hands what it gives to `done` unless
    // this is gone by then.
    void convert(const converters::Converter& converter, const Entry& entry,
                 const CancellationToken& token, Converted done);
    bool isPreviewStillToCome(const converters::Converter& converter, const Entry& entry) const;

    void startConvertPreview(const converters::Converter& converter, const Entry& entry);
    void runPreview(const Preview& preview);
    void endPreview(const CancellationToken& token,
                    std::optional<clipboard::ClipboardContent> result);
    void finishPaste(clipboard::ClipboardContent result);

    void startAIPreview(const converters::Converter& converter, const Entry& entry);
    void startAITask(const converters::Converter& converter, const Entry& entry,
                     const std::string& key);
    void finishAITask(const std::string& key, const std::string& converterId,
                      const std::string& itemId, const clipboard::ClipboardContent& input,
                      const clipboard::ClipboardContent& result);
    void pollAIResult(const std::string& key, const std::string& converterId,
                      const std::string& itemId, int attempts);
    std::optional<std::string> validCachedResult(const std::string& key) const;
    void showPreviewIfHighlighted(const std::string& converterId, const std::string& itemId,
                                  const std::optional<std::string>& text);
    void setLoading(const std::string& key, bool loading);

    Services services_;
    Shown shown_;
    std::optional<Preview> preview_;
    // A preview conversion has not answered yet; the next one waits for it.
    bool previewConverting_ = false;
    std::optional<WaitingPaste> paste_;
    std::map<std::string, CachedResult> aiResultCache_;
    std::set<std::string> aiInFlightTasks_;
    PendingCompletions<ReadContent> contentReads_;
};

}  // namespace pindrake::app
