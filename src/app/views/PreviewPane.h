#pragma once

#include <QScrollArea>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>

#include "clipboard/ClipboardItem.h"

class QLabel;
class QVBoxLayout;

namespace pindrake::app::views {

class RowIcons;
class WrappedText;

// "type – size" of a file: the type's description and, for a file that is not a folder, its
// size; none when the file cannot be read.
std::optional<std::string> fileInfoText(const std::filesystem::path& path);

// What a paste would put into the other application: a spinner while a converter works, the
// converted text, or the entry itself (a file card, the stored picture, or its text).
class PreviewPane final : public QWidget {
    Q_OBJECT
  public:
    enum class Content { empty, converting, file, image, text };

    PreviewPane(RowIcons& icons, std::filesystem::path historyFolder, QWidget* parent = nullptr);

    void show(const clipboard::ClipboardItem& item, bool isConverting,
              const std::optional<std::string>& convertedText);
    Content content() const { return content_; }
    // The text shown, when the content is text.
    QString shownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void clear();
    QWidget* convertingIndicator();
    void showFile(const std::string& path);
    bool showImage(const std::string& fileName);
    void showText(const std::string& text);

    RowIcons& icons_;
    std::filesystem::path historyFolder_;
    QScrollArea* scroll_;
    QWidget* body_;
    QVBoxLayout* bodyLayout_;
    WrappedText* textLabel_ = nullptr;
    Content content_ = Content::empty;
};

}  // namespace pindrake::app::views
