// Office Open XML workbooks: the first sheet named in xl/workbook.xml, its
// part found through the workbook's relationships, texts from the shared
// strings or inline. The parts are read with expat, element names by their
// local part whatever prefix a writer gives them.
#include <expat.h>

#include <charconv>
#include <memory>
#include <string_view>
#include <vector>

#include "exchange/workbook_readers.h"

namespace exchange {

namespace {

// A part's elements in document order. Handlers must not throw through
// expat: they record what went wrong in `problem`, which stops the parse.
class PartReader {
public:
    virtual ~PartReader() = default;

    // Parses the member a piece at a time, as it is inflated.
    void parse(const ZipArchive& zip, const std::string& name, const char* noun) {
        ZipMember member(zip, name, noun);
        const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, kSeparator),
                                                                           XML_ParserFree);
        if (!parser) member.fail("nu poate fi citita: memoria nu ajunge");
        parser_ = parser.get();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &PartReader::onStart, &PartReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &PartReader::onText);
        for (;;) {
            const std::string_view piece = member.next();
            const bool last = piece.empty();
            if (XML_Parse(parser_, piece.data(), int(piece.size()), last) != XML_STATUS_OK) break;
            if (last) return;
        }
        if (!problem.empty()) member.fail(problem);
        member.fail("nu este XML corect (linia " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", coloana " +
                    std::to_string(XML_GetCurrentColumnNumber(parser_)) + ")");
    }

protected:
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view) {}
    virtual void text(std::string_view) {}

    void fail(std::string what) {
        if (problem.empty()) problem = std::move(what);
        XML_StopParser(parser_, XML_FALSE);
    }
    // The value of the attribute of that local name; empty when it is absent.
    static std::string_view attribute(const char** attributes, std::string_view name) {
        for (int i = 0; attributes[i]; i += 2)
            if (localName(attributes[i]) == name) return attributes[i + 1];
        return {};
    }

private:
    static constexpr XML_Char kSeparator = '\x01';

    static std::string_view localName(const char* qualified) {
        const std::string_view name(qualified);
        const size_t cut = name.rfind(kSeparator);
        return cut == std::string_view::npos ? name : name.substr(cut + 1);
    }
    // Expat may still report what it had parsed after a stop: that is ignored.
    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* self = static_cast<PartReader*>(data);
        if (self->problem.empty()) self->start(localName(name), attributes);
    }
    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        auto* self = static_cast<PartReader*>(data);
        if (self->problem.empty()) self->end(localName(name));
    }
    static void XMLCALL onText(void* data, const XML_Char* chars, int length) {
        auto* self = static_cast<PartReader*>(data);
        if (self->problem.empty()) self->text(std::string_view(chars, size_t(length)));
    }

    XML_Parser parser_ = nullptr;
    std::string problem;
};

// The text of a string item (<si>, or a cell's <is>): its <t> elements
// joined (rich-text runs), phonetic hints left out.
class StringItemText {
public:
    void begin() {
        text_.clear();
        phonetic_ = false;
        inText_ = false;
    }
    void start(std::string_view name) {
        if (name == "rPh") phonetic_ = true;
        else if (name == "t" && !phonetic_) inText_ = true;
    }
    void end(std::string_view name) {
        if (name == "rPh") phonetic_ = false;
        else if (name == "t") inText_ = false;
    }
    void text(std::string_view chars) {
        if (inText_) text_.append(chars);
    }
    const std::string& value() const { return text_; }

private:
    std::string text_;
    bool phonetic_ = false;
    bool inText_ = false;
};

class SharedStrings : public PartReader {
public:
    std::vector<QString> strings;

protected:
    void start(std::string_view name, const char**) override {
        if (name == "si") {
            inItem_ = true;
            item_.begin();
        } else if (inItem_) {
            item_.start(name);
        }
    }
    void end(std::string_view name) override {
        if (!inItem_) return;
        if (name == "si") {
            inItem_ = false;
            strings.push_back(QString::fromStdString(item_.value()));
        } else {
            item_.end(name);
        }
    }
    void text(std::string_view chars) override {
        if (inItem_) item_.text(chars);
    }

private:
    bool inItem_ = false;
    StringItemText item_;
};

// The relationship id of the first <sheet> of xl/workbook.xml.
class FirstSheet : public PartReader {
public:
    std::string id;

protected:
    void start(std::string_view name, const char** attributes) override {
        if (id.empty() && name == "sheet") id = attribute(attributes, "id");
    }
};

// The target of one relationship of xl/_rels/workbook.xml.rels.
class RelationshipTarget : public PartReader {
public:
    explicit RelationshipTarget(std::string id) : id_(std::move(id)) {}
    std::string target;
    bool found = false;

protected:
    void start(std::string_view name, const char** attributes) override {
        if (found || name != "Relationship" || attribute(attributes, "Id") != id_) return;
        found = true;
        target = attribute(attributes, "Target");
    }

private:
    std::string id_;
};

// "AB12" -> column 28; 0 when the reference has no letters.
int columnOf(std::string_view reference) {
    int column = 0;
    for (const char c : reference) {
        if (c < 'A' || c > 'Z') break;
        column = column * 26 + (c - 'A' + 1);
        if (column > kMaxSheetColumns) return -1;
    }
    return column;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A number cell's value as the import reads it: its shortest decimal text,
// or the text as written when it is no number.
QString numberCellText(std::string_view value) {
    std::string_view digits = value;
    while (!digits.empty() && isBlank(digits.front())) digits.remove_prefix(1);
    while (!digits.empty() && isBlank(digits.back())) digits.remove_suffix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size()) return numberText(number);
    return QString::fromUtf8(value.data(), qsizetype(value.size()));
}

// The cells of the sheet part, into the grid.
class SheetCells : public PartReader {
public:
    SheetCells(const std::vector<QString>& strings, CellGrid& grid) : strings_(strings), grid_(grid) {}

protected:
    void start(std::string_view name, const char** attributes) override {
        if (inCell_) {
            if (name == "v") {
                inValue_ = true;
            } else if (name == "is") {
                inInline_ = true;
                inline_.begin();
            } else if (inInline_) {
                inline_.start(name);
            }
            return;
        }
        if (name == "row") {
            const std::string_view r = attribute(attributes, "r");
            if (r.empty()) {
                ++row_;
            } else {
                row_ = 0;
                std::from_chars(r.data(), r.data() + r.size(), row_);
            }
            column_ = 0;
            if (row_ < 1 || row_ > kMaxSheetRows) fail("are un rand in afara limitelor");
        } else if (name == "c") {
            const std::string_view reference = attribute(attributes, "r");
            const int given = reference.empty() ? 0 : columnOf(reference);
            column_ = given > 0 ? given : column_ + 1;
            if (given < 0 || column_ > kMaxSheetColumns) fail("are o coloana in afara limitelor");
            type_ = attribute(attributes, "t");
            value_.clear();
            inline_.begin();
            inCell_ = true;
        }
    }
    void end(std::string_view name) override {
        if (!inCell_) return;
        if (name == "v") {
            inValue_ = false;
        } else if (name == "is") {
            inInline_ = false;
        } else if (name == "c") {
            inCell_ = false;
            cellDone();
        } else if (inInline_) {
            inline_.end(name);
        }
    }
    void text(std::string_view chars) override {
        if (inValue_) value_.append(chars);
        else if (inInline_) inline_.text(chars);
    }

private:
    void cellDone() {
        QString text;
        if (type_ == "s") {
            size_t index = 0;
            const auto [end, error] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
            if (value_.empty() || error != std::errc() || end != value_.data() + value_.size() ||
                index >= strings_.size()) {
                fail("trimite la un text comun care lipseste");
                return;
            }
            text = strings_[index];
        } else if (type_ == "inlineStr") {
            text = QString::fromStdString(inline_.value());
        } else if (type_.empty() || type_ == "n") {
            text = numberCellText(value_);
        } else {
            text = QString::fromStdString(value_);  // str (a formula's text), b, e, d: as written
        }
        if (row_ > 0 && column_ > 0) grid_.set(row_, column_, std::move(text));
    }

    const std::vector<QString>& strings_;
    CellGrid& grid_;
    int row_ = 0;
    int column_ = 0;
    std::string type_;
    std::string value_;
    StringItemText inline_;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
};

// The path of the first worksheet's part.
std::string firstSheetPart(const ZipArchive& zip) {
    FirstSheet sheet;
    sheet.parse(zip, "xl/workbook.xml", "Partea");
    if (sheet.id.empty()) zip.refuse("registrul nu are nicio foaie");
    RelationshipTarget relationship(sheet.id);
    relationship.parse(zip, "xl/_rels/workbook.xml.rels", "Partea");
    if (!relationship.found) zip.refuse("prima foaie nu se gaseste in arhiva");
    if (!relationship.target.empty() && relationship.target.front() == '/') return relationship.target.substr(1);
    return "xl/" + relationship.target;
}

}  // namespace

std::unique_ptr<WorkbookReader> openXlsxWorkbook(const QString& path, size_t pieceSize) {
    const ZipArchive zip(path, "registru Excel", pieceSize);
    SharedStrings shared;
    const std::string stringsPart = "xl/sharedStrings.xml";
    if (zip.has(stringsPart)) shared.parse(zip, stringsPart, "Partea");
    const std::string part = firstSheetPart(zip);
    auto grid = std::make_unique<CellGrid>();
    SheetCells cells(shared.strings, *grid);
    cells.parse(zip, part, "Foaia");
    return grid;
}

}  // namespace exchange
