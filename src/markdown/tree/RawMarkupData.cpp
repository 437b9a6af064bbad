#include "markdown/tree/RawMarkupData.h"

namespace pindrake::markdown {

namespace {

class FieldWriter {
  public:
    explicit FieldWriter(std::string& out) : out_(out) {}

    FieldWriter& quoted(std::string_view label, std::string_view value) {
        separate(label);
        out_ += '"';
        out_ += value;
        out_ += '"';
        return *this;
    }
    FieldWriter& quotedIfPresent(std::string_view label, const std::optional<std::string>& value) {
        return value ? quoted(label, *value) : plain(label, "none");
    }
    FieldWriter& plain(std::string_view label, std::string_view value) {
        separate(label);
        out_ += value;
        return *this;
    }
    template <class Integer>
    FieldWriter& number(std::string_view label, Integer value) {
        return plain(label, std::to_string(value));
    }

  private:
    void separate(std::string_view label) {
        if (!first_)
            out_ += ", ";
        first_ = false;
        if (!label.empty()) {
            out_ += label;
            out_ += ": ";
        }
    }
    std::string& out_;
    bool first_ = true;
};

std::string_view nameOf(ColumnAlignment alignment) {
    switch (alignment) {
        case ColumnAlignment::left:
            return "left";
        case ColumnAlignment::center:
            return "center";
        case ColumnAlignment::right:
            return "right";
    }
    return "none";
}

template <MarkupKind K>
void writeFields(FieldWriter&, const payload::Empty<K>&) {}

void writeFields(FieldWriter& w, const payload::CodeBlock& p) {
    w.quoted("", p.code).quotedIfPresent("language", p.language);
}
void writeFields(FieldWriter& w, const payload::Heading& p) {
    w.number("level", p.level);
}
void writeFields(FieldWriter& w, const payload::HTMLBlock& p) {
    w.quoted("", p.html);
}
void writeFields(FieldWriter& w, const payload::ListItem& p) {
    w.plain("checkbox", !p.checkbox                        ? "none"
                        : *p.checkbox == Checkbox::checked ? "checked"
                                                           : "unchecked");
}
void writeFields(FieldWriter& w, const payload::OrderedList& p) {
    w.number("startIndex", p.startIndex);
}
void writeFields(FieldWriter& w, const payload::BlockDirective& p) {
    w.quoted("name", p.name);
    w.plain("nameLocation", p.nameLocation ? p.nameLocation->description() : "none");
    std::string segments = "[";
    for (const auto& segment : p.arguments.segments) {
        if (segments.size() > 1)
            segments += ", ";
        segments += '"';
        segments += segment.trimmedText();
        segments += '"';
    }
    segments += ']';
    w.plain("arguments", segments);
}
void writeFields(FieldWriter& w, const payload::InlineCode& p) {
    w.quoted("", p.code);
}
void writeFields(FieldWriter& w, const payload::CustomInline& p) {
    w.quoted("", p.text);
}
void writeFields(FieldWriter& w, const payload::Image& p) {
    w.quotedIfPresent("source", p.source).quotedIfPresent("title", p.title);
}
void writeFields(FieldWriter& w, const payload::InlineHTML& p) {
    w.quoted("", p.html);
}
void writeFields(FieldWriter& w, const payload::Link& p) {
    w.quotedIfPresent("destination", p.destination).quotedIfPresent("title", p.title);
}
void writeFields(FieldWriter& w, const payload::Text& p) {
    w.quoted("", p.text);
}
void writeFields(FieldWriter& w, const payload::SymbolLink& p) {
    w.quotedIfPresent("destination", p.destination);
}
void writeFields(FieldWriter& w, const payload::InlineAttributes& p) {
    w.quoted("attributes", p.attributes);
}
void writeFields(FieldWriter& w, const payload::Table& p) {
    std::string list = "[";
    for (const auto& alignment : p.columnAlignments) {
        if (list.size() > 1)
            list += ", ";
        list += alignment ? nameOf(*alignment) : "none";
    }
    list += ']';
    w.plain("columnAlignments", list);
}
void writeFields(FieldWriter& w, const payload::TableCell& p) {
    w.number("colspan", p.colspan).number("rowspan", p.rowspan);
}
void writeFields(FieldWriter& w, const payload::DoxygenParam& p) {
    w.quoted("name", p.name);
}

}  // namespace

std::string describe(const RawMarkupData& data) {
    std::string out(caseName(kindOf(data)));
    std::visit(
        [&out](const auto& payload) {
            if constexpr (!std::is_empty_v<std::decay_t<decltype(payload)>>) {
                out += '(';
                FieldWriter writer(out);
                writeFields(writer, payload);
                out += ')';
            }
        },
        data);
    return out;
}

}  // namespace pindrake::markdown
