#include "CatalogueReader.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace catalogue {

namespace {

std::string gSourceName = "definitions";

struct SToken {
    std::string text;
    bool quoted = false;
};

// Splits a line into blank-separated tokens; "..." is one token; '#' outside quotes ends it.
std::vector<SToken> tokenize(const std::string& line, int lineNumber) {
    std::vector<SToken> tokens;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) fail(lineNumber, "", "text without closing quote");
            tokens.push_back({line.substr(i + 1, end - i - 1), true});
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t\r#", i);
            if (end == std::string::npos) end = line.size();
            tokens.push_back({line.substr(i, end - i), false});
            i = end;
        }
    }
    return tokens;
}

uint32_t number(const SToken& token, int line, const std::string& item) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(token.text.c_str(), &end, 0);
    if (token.quoted || token.text.empty() || *end != '\0' || value > 0xFFFFFFFFull) {
        fail(line, item, "'" + token.text + "' is not a number");
    }
    return static_cast<uint32_t>(value);
}

// 0xHH tokens (0xHH*N repeats) or one quoted text, from tokens[first] to the end.
Bytes byteList(const std::vector<SToken>& tokens, size_t first, int line, const std::string& item) {
    if (first >= tokens.size()) fail(line, item, "bytes missing");
    if (tokens[first].quoted) {
        if (first + 1 != tokens.size()) fail(line, item, "text must end the line");
        return Bytes(tokens[first].text.begin(), tokens[first].text.end());
    }
    Bytes bytes;
    for (size_t i = first; i < tokens.size(); ++i) {
        const std::string& text = tokens[i].text;
        size_t star = text.find('*');
        uint32_t repeat = 1;
        if (star != std::string::npos) repeat = number({text.substr(star + 1)}, line, item);
        uint32_t value = number({text.substr(0, star)}, line, item);
        if (value > 0xFF || text.compare(0, 2, "0x") != 0) fail(line, item, "'" + text + "' is not a byte 0xHH");
        bytes.insert(bytes.end(), repeat, static_cast<uint8_t>(value));
    }
    return bytes;
}

const std::map<std::string, uint32_t> kValueTypes = {
    {"Undefined", 0}, {"Bool", 1},    {"Int8", 2},       {"UInt8", 3},      {"Int16", 4},
    {"UInt16", 5},    {"Int32", 6},   {"UInt32", 7},     {"Int64", 8},      {"UInt64", 9},
    {"Float", 10},    {"Double", 11}, {"CQFBuffer", 12}, {"CQFString", 13}, {"CQFByteStream", 14},
};

uint32_t valueType(const SToken& token, int line, const std::string& item) {
    auto it = kValueTypes.find(token.text);
    if (it == kValueTypes.end()) fail(line, item, "unknown value type '" + token.text + "'");
    return it->second;
}

void need(const std::vector<SToken>& tokens, size_t count, int line, const std::string& item) {
    if (tokens.size() < count) fail(line, item, "too few fields");
}

// Reads "word value" pairs from tokens[first]; "default" takes the rest of the line.
class COptions {
public:
    COptions(const std::vector<SToken>& tokens, size_t first, int line, const std::string& item)
        : mTokens(tokens), mLine(line), mItem(item) {
        for (size_t i = first; i < tokens.size(); i += 2) {
            const std::string& word = tokens[i].text;
            if (word == "default") {
                mDefault = byteList(tokens, i + 1, line, item);
                mHasDefault = true;
                break;
            }
            if (i + 1 >= tokens.size()) fail(line, item, "'" + word + "' without a value");
            mWords[word] = i + 1;
        }
    }
    bool has(const std::string& word) const { return mWords.count(word) != 0; }
    const SToken& token(const std::string& word) const {
        auto it = mWords.find(word);
        if (it == mWords.end()) fail(mLine, mItem, "'" + word + "' missing");
        return mTokens[it->second];
    }
    uint32_t number(const std::string& word) const { return catalogue::number(token(word), mLine, mItem); }
    void only(std::initializer_list<const char*> allowed) const {
        for (const auto& entry : mWords) {
            bool known = false;
            for (const char* word : allowed) known = known || entry.first == word;
            if (!known) fail(mLine, mItem, "unknown field '" + entry.first + "'");
        }
    }
    bool hasDefault() const { return mHasDefault; }
    const Bytes& defaultValue() const { return mDefault; }

private:
    const std::vector<SToken>& mTokens;
    int mLine;
    std::string mItem;
    std::map<std::string, size_t> mWords;
    bool mHasDefault = false;
    Bytes mDefault;
};

int indentation(const std::string& line) {
    size_t blanks = line.find_first_not_of(' ');
    return blanks == std::string::npos ? 0 : static_cast<int>(blanks);
}

class CReader {
public:
    SCatalogue read(std::ifstream& in) {
        std::string text;
        int line = 0;
        while (std::getline(in, text)) {
            ++line;
            std::vector<SToken> tokens = tokenize(text, line);
            if (!tokens.empty()) readLine(tokens, indentation(text), line);
        }
        return std::move(mCatalogue);
    }

private:
    void readLine(const std::vector<SToken>& t, int indent, int line) {
        const std::string& word = t[0].text;
        const std::string item = t.size() > 1 ? t[1].text : word;
        if (word == "version") return readVersion(t, line);
        if (word == "key") return readKey(t, line, item);
        if (word == "block") return readBlock(t, line, item);
        if (word == "function") return readFunction(t, line, item);
        if (word == "value") return readValue(t, line, item);
        if (word == "adjust") return readAdjustVersion(t, line);
        if (word == "structure" || word == "leaf") return readAdjust(t, indent, line, item);
        if (word == "layout") return readLayout(t, line);
        if (word == "absent" || word == "moved") return readLayoutEntry(t, line, item);
        fail(line, item, "unknown line '" + word + "'");
    }

    void readVersion(const std::vector<SToken>& t, int line) {
        need(t, 3, line, "version");
        const uint32_t value = number(t[2], line, "version");
        if (value > 0xFFFF) fail(line, "version", "not a 16-bit version");
        static const char* const kKinds[] = {"coding", "adjust", "key"};
        for (int kind = 0; kind < 3; ++kind) {
            if (t[1].text != kKinds[kind]) continue;
            mCatalogue.hasVersion[kind] = true;
            if (kind == 0) mCatalogue.versions[0] = static_cast<uint16_t>(value);
            mCatalogue.versions[kind + 1] = static_cast<uint16_t>(value);
            return;
        }
        fail(line, "version", "unknown kind '" + t[1].text + "'");
    }

    void readKey(const std::vector<SToken>& t, int line, const std::string& item) {
        need(t, 6, line, item);
        SKey key;
        key.line = line;
        key.name = item;
        key.id = number(t[2], line, item);
        key.size = number(t[3], line, item);
        if (t[4].text == "Flash") {
            key.storageType = 1;
        } else if (t[4].text == "Early") {
            key.storageType = 8;
        } else {
            fail(line, item, "storage must be Flash or Early");
        }
        key.valueType = valueType(t[5], line, item);
        COptions options(t, 6, line, item);
        options.only({"slot", "mirrors"});
        if (options.has("slot")) key.slot = static_cast<int32_t>(options.number("slot"));
        if (options.has("mirrors")) key.mirrors = options.token("mirrors").text;
        key.hasDefault = options.hasDefault();
        key.defaultValue = options.defaultValue();
        mCatalogue.keys.push_back(key);
    }

    void readBlock(const std::vector<SToken>& t, int line, const std::string& item) {
        need(t, 5, line, item);
        SBlock block;
        block.line = line;
        block.name = item;
        block.number = number(t[2], line, item);
        block.address = number(t[3], line, item);
        block.length = number(t[4], line, item);
        COptions options(t, 5, line, item);
        options.only({"functions", "values"});
        if (options.hasDefault()) fail(line, item, "a block's default comes from its functions");
        block.declaredFunctions = options.number("functions");
        block.declaredValues = options.number("values");
        mCatalogue.blocks.push_back(block);
    }

    void readFunction(const std::vector<SToken>& t, int line, const std::string& item) {
        need(t, 3, line, item);
        if (mCatalogue.blocks.empty()) fail(line, item, "function outside a block");
        SFunction function;
        function.line = line;
        function.name = item;
        function.id = number(t[2], line, item);
        COptions options(t, 3, line, item);
        options.only({});
        function.hasDefault = options.hasDefault();
        function.defaultValue = options.defaultValue();
        mCatalogue.blocks.back().functions.push_back(function);
    }

    void readValue(const std::vector<SToken>& t, int line, const std::string& item) {
        need(t, 3, line, item);
        if (mCatalogue.blocks.empty() || mCatalogue.blocks.back().functions.empty()) {
            fail(line, item, "value outside a function");
        }
        mCatalogue.blocks.back().functions.back().values.push_back({line, item, byteList(t, 2, line, item)});
    }

    void readAdjustVersion(const std::vector<SToken>& t, int line) {
        need(t, 3, line, "adjust");
        if (t[1].text != "version") fail(line, "adjust", "expected 'adjust version <byte>'");
        const uint32_t value = number(t[2], line, "adjust version");
        if (value > 0xFF) fail(line, "adjust version", "not a byte");
        mCatalogue.adjustVersion = static_cast<uint8_t>(value);
        mCatalogue.hasAdjustVersion = true;
    }

    void readAdjust(const std::vector<SToken>& t, int indent, int line, const std::string& item) {
        SAdjust node;
        node.line = line;
        node.isStructure = t[0].text == "structure";
        need(t, node.isStructure ? 4 : 5, line, item);
        if (indent % 2 != 0) fail(line, item, "indent by two blanks a level");
        node.depth = indent / 2;
        node.name = item;
        node.offset = number(t[2], line, item);
        node.length = number(t[3], line, item);
        size_t options = 4;
        if (!node.isStructure) node.valueType = valueType(t[options++], line, item);
        COptions rest(t, options, line, item);
        rest.only({});
        if (node.isStructure && rest.hasDefault()) fail(line, item, "a structure's default comes from its leaves");
        node.hasDefault = rest.hasDefault();
        node.defaultValue = rest.defaultValue();
        mCatalogue.adjust.push_back(node);
    }

    void readLayout(const std::vector<SToken>& t, int line) {
        need(t, 2, line, "layout");
        SLayout layout;
        layout.line = line;
        layout.major = number(t[1], line, "layout");
        COptions options(t, 2, line, "layout " + t[1].text);
        options.only({"absent", "moved"});
        layout.declaredAbsent = options.number("absent");
        layout.declaredMoved = options.number("moved");
        mCatalogue.layouts.push_back(layout);
    }

    void readLayoutEntry(const std::vector<SToken>& t, int line, const std::string& item) {
        if (mCatalogue.layouts.empty()) fail(line, item, "'" + t[0].text + "' outside a layout");
        SLayout& layout = mCatalogue.layouts.back();
        if (t[0].text == "absent") {
            need(t, 2, line, item);
            layout.absent.push_back(number(t[1], line, item));
        } else {
            need(t, 3, line, item);
            layout.moved.push_back({number(t[1], line, item), number(t[2], line, item)});
        }
    }

    SCatalogue mCatalogue;
};

}  // namespace

void setSourceName(const std::string& name) { gSourceName = name; }

void fail(int line, const std::string& item, const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s%s%s\n", gSourceName.c_str(), line, item.c_str(), item.empty() ? "" : ": ",
                 message.c_str());
    std::exit(1);
}

SCatalogue readCatalogue(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail(0, path, "cannot be read");
    setSourceName(path);
    return CReader().read(in);
}

}  // namespace catalogue
