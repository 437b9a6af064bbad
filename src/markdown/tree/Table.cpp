#include "markdown/tree/Table.h"

#include <algorithm>

namespace pindrake::markdown {

Table::Table(Alignments columnAlignments, const Head& head, const Body& body)
    : Element(MarkupData::makeRoot(
          assemble(std::move(columnAlignments), head.rawPtr(), body.rawPtr()))) {}

RawMarkupPtr Table::assemble(Alignments columnAlignments, RawMarkupPtr head, RawMarkupPtr body) {
    std::int64_t width = head->childCount();
    for (const RawMarkupPtr& row : body->children()) {
        width = std::max(width, row->childCount());
    }
    if (static_cast<std::int64_t>(columnAlignments.size()) < width) {
        columnAlignments.resize(static_cast<std::size_t>(width));
    }
    std::vector<RawMarkupPtr> children;
    children.reserve(2);
    children.push_back(std::move(head));
    children.push_back(std::move(body));
    return RawMarkup::create(payload::Table{std::move(columnAlignments)}, std::nullopt,
                             std::move(children));
}

const RawMarkup& Table::headNode() const {
    require(childCount() >= 1 && raw().child(0).kind() == MarkupKind::tableHead,
            "a table's first child must be its head");
    return raw().child(0);
}

const RawMarkup& Table::bodyNode() const {
    require(childCount() >= 2 && raw().child(1).kind() == MarkupKind::tableBody,
            "a table's second child must be its body");
    return raw().child(1);
}

Table::Head Table::head() const {
    headNode();
    return detail::ElementAccess::checkedCast<Head>(*child(0));
}

Table::Body Table::body() const {
    bodyNode();
    return detail::ElementAccess::checkedCast<Body>(*child(1));
}

void Table::setColumnAlignments(Alignments columnAlignments) {
    require(childCount() >= 2, "a table needs its head and body");
    replaceNode(assemble(std::move(columnAlignments), raw().children()[0], raw().children()[1]));
}

void Table::setHead(const Head& head) {
    require(childCount() >= 2, "a table needs its head and body");
    replaceNode(assemble(columnAlignments(), head.rawPtr(), raw().children()[1]));
}

void Table::setBody(const Body& body) {
    require(childCount() >= 1, "a table needs its head");
    replaceNode(assemble(columnAlignments(), raw().children()[0], body.rawPtr()));
}

std::int64_t Table::maxColumnCount() const {
    std::int64_t width = headNode().childCount();
    for (const RawMarkupPtr& row : bodyNode().children()) {
        width = std::max(width, row->childCount());
    }
    return width;
}

bool Table::isEmpty() const {
    return headNode().childCount() == 0 && bodyNode().childCount() == 0;
}

}  // namespace pindrake::markdown
