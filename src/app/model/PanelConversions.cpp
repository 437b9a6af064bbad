#include "app/model/PanelConversions.h"

namespace pindrake::app {

using clipboard::ClipboardContent;

std::string PanelConversions::aiKey(const clipboard::ClipboardItem& item,
                                    const converters::Converter& c) {
    return item.id + ':' + c.id();
}

bool PanelConversions::isAI(const converters::Converter& converter) {
    return converter.id().starts_with("ai.");
}

PanelConversions::PanelConversions(Services services, Shown shown)
    : services_(std::move(services)), shown_(shown) {}

void PanelConversions::readContent(const Entry& entry, bool withCopy,
                                   std::function<void(PanelConversions&, ReadContent)> done) {
    std::weak_ptr<PanelConversions> weak = weak_from_this();
    auto completion =
        contentReads_.add(services_.main, [weak, done = std::move(done)](ReadContent read) {
            if (auto self = weak.lock())
                done(*self, std::move(read));
        });
    services_.onWorker([completion, withCopy, read = services_.historyStore.contentReader(entry)] {
        ReadContent content{read(), nullptr};
        if (withCopy)
            content.copy = std::make_shared<const ClipboardContent>(content.input);
        completion->settle(std::move(content));
    });
}

void PanelConversions::showPreview(const converters::Converter& converter, const Entry& entry) {
    // The same preview still to come goes on: a paste may be waiting for it.
    if (isPreviewStillToCome(converter, entry))
        return;
    // Another highlight: a paste converting on its own would paste what is no longer chosen.
    callOffPaste();
    clearPreview();
    if (isAI(converter))
        startAIPreview(converter, entry);
    else
        startConvertPreview(converter, entry);
}

bool PanelConversions::isPreviewStillToCome(const converters::Converter& converter,
                                            const Entry& entry) const {
    return preview_ && preview_->converter == &converter && preview_->entry == entry;
}

void PanelConversions::clearPreview() {
    stopPreview();
    shown_.previewText = std::nullopt;
    shown_.isConvertingPreview = false;
}

void PanelConversions::stopPreview() {
    if (!preview_)
        return;
    preview_->token.cancel();
    preview_.reset();
    if (paste_ && paste_->onPreview)
        callOffPaste();
}

void PanelConversions::startConvertPreview(const converters::Converter& converter,
                                           const Entry& entry) {
    preview_ = Preview{CancellationToken(), &converter, entry};
    // One preview conversion at a time, however fast the highlight moves: the one superseded
    // has been told to stop, and the newest starts once it has answered.
    if (!previewConverting_)
        runPreview(*preview_);
}

void PanelConversions::runPreview(const Preview& preview) {
    previewConverting_ = true;
    convert(
        *preview.converter, preview.entry, preview.token,
        [token = preview.token](PanelConversions& self, std::optional<ClipboardContent> result) {
            self.endPreview(token, std::move(result));
        });
}

void PanelConversions::convert(const converters::Converter& converter, const Entry& entry,
                               const CancellationToken& token, Converted done) {
    readContent(entry, false,
                [c = &converter, token, done = std::move(done)](PanelConversions& self,
                                                                ReadContent read) mutable {
                    // Stopped while its input was read: it never starts.
                    if (token.isCancelled())
                        return done(self, std::nullopt);
                    converters::ConversionServices services = self.services_.conversion;
                    services.stop = token;
                    std::weak_ptr<PanelConversions> weak = self.weak_from_this();
                    c->convert(std::move(read.input), services,
                               [weak, done = std::move(done)](ClipboardContent result) {
                                   if (auto self = weak.lock())
                                       done(*self, std::move(result));
                               });
                });
}

void PanelConversions::endPreview(const CancellationToken& token,
                                  std::optional<ClipboardContent> result) {
    previewConverting_ = false;
    if (token.isCancelled()) {
        // The preview asked for while this one ran, unless it was superseded or dropped since.
        if (preview_)
            runPreview(*preview_);
        return;
    }
    preview_.reset();
    shown_.previewText = result->plainText;
    if (paste_ && paste_->onPreview)
        finishPaste(std::move(*result));
}

void PanelConversions::convertForPaste(const converters::Converter& converter, const Entry& entry,
                                       Paste paste) {
    callOffPaste();
    shown_.isConvertingForPaste = true;
    if (isPreviewStillToCome(converter, entry)) {
        paste_ = WaitingPaste{preview_->token, std::move(paste), true};
        return;
    }
    CancellationToken token;
    paste_ = WaitingPaste{token, std::move(paste), false};
    convert(converter, entry, token,
            [token](PanelConversions& self, std::optional<ClipboardContent> result) {
                if (result && !token.isCancelled())
                    self.finishPaste(std::move(*result));
            });
}

void PanelConversions::finishPaste(ClipboardContent result) {
    const Paste paste = std::move(paste_->paste);
    paste_.reset();
    shown_.isConvertingForPaste = false;
    paste(std::move(result));
}

// A paste that took the preview over leaves it running: the panel still shows it.
void PanelConversions::callOffPaste() {
    if (!paste_)
        return;
    if (!paste_->onPreview)
        paste_->token.cancel();
    paste_.reset();
    shown_.isConvertingForPaste = false;
}

void PanelConversions::startAIPreview(const converters::Converter& converter, const Entry& entry) {
    const std::string key = aiKey(*entry, converter);
    if (auto cached = validCachedResult(key)) {
        shown_.previewText = std::move(cached);
        return;
    }
    shown_.isConvertingPreview = true;
    if (aiInFlightTasks_.contains(key)) {
        pollAIResult(key, converter.id(), entry->id, 0);
        return;
    }
    startAITask(converter, entry, key);
}

void PanelConversions::startAITask(const converters::Converter& converter, const Entry& entry,
                                   const std::string& key) {
    aiInFlightTasks_.insert(key);
    setLoading(key, true);
    std::weak_ptr<PanelConversions> weak = weak_from_this();
    const converters::Converter* c = &converter;
    services_.main.postAfter(aiStartDelay, [weak, c, entry, key] {
        auto self = weak.lock();
        if (!self)
            return;
        self->readContent(
            entry, true, [c, key, itemId = entry->id](PanelConversions& model, ReadContent read) {
                std::weak_ptr<PanelConversions> weak = model.weak_from_this();
                c->convert(std::move(read.input), model.services_.conversion,
                           [weak, c, input = read.copy, key, itemId](ClipboardContent result) {
                               if (auto self = weak.lock())
                                   self->finishAITask(key, c->id(), itemId, *input, result);
                           });
            });
    });
}

void PanelConversions::finishAITask(const std::string& key, const std::string& converterId,
                                    const std::string& itemId, const ClipboardContent& input,
                                    const ClipboardContent& result) {
    aiInFlightTasks_.erase(key);
    setLoading(key, false);
    // A converter that could not convert hands its input back: that is no result to keep.
    if (result.plainText && result != input) {
        const TimePoint now = services_.main.now();
        aiResultCache_[key] = {*result.plainText, now + aiResultLifetime};
        if (aiResultCache_.size() >= aiCachePruneThreshold)
            std::erase_if(aiResultCache_,
                          [now](const auto& entry) { return entry.second.expiry <= now; });
    }
    showPreviewIfHighlighted(converterId, itemId, result.plainText);
}

void PanelConversions::pollAIResult(const std::string& key, const std::string& converterId,
                                    const std::string& itemId, int attempts) {
    std::weak_ptr<PanelConversions> weak = weak_from_this();
    services_.main.postAfter(aiPollInterval, [weak, key, converterId, itemId, attempts] {
        auto self = weak.lock();
        if (!self)
            return;
        if (auto cached = self->validCachedResult(key)) {
            self->showPreviewIfHighlighted(converterId, itemId, cached);
            return;
        }
        // The conversion ended with nothing to keep; its end already updated the preview.
        if (!self->aiInFlightTasks_.contains(key))
            return;
        if (attempts + 1 >= aiPollLimit) {
            self->shown_.isConvertingPreview = false;
            return;
        }
        self->pollAIResult(key, converterId, itemId, attempts + 1);
    });
}

std::optional<std::string> PanelConversions::validCachedResult(const std::string& key) const {
    const auto found = aiResultCache_.find(key);
    if (found == aiResultCache_.end() || found->second.expiry <= services_.main.now())
        return std::nullopt;
    return found->second.text;
}

void PanelConversions::showPreviewIfHighlighted(const std::string& converterId,
                                                const std::string& itemId,
                                                const std::optional<std::string>& text) {
    if (!services_.isHighlighted(converterId, itemId))
        return;
    shown_.previewText = text;
    shown_.isConvertingPreview = false;
}

void PanelConversions::setLoading(const std::string& key, bool loading) {
    auto keys = shown_.aiLoadingKeys.get();
    if (loading)
        keys.insert(key);
    else
        keys.erase(key);
    shown_.aiLoadingKeys = std::move(keys);
}

}  // namespace pindrake::app
