#include "base/config/ConfigLine.h"

#include "base/runtime/StrUtil.h"

namespace Config {

namespace {

bool IsBracket(char16_t unit) {
    return unit == u'(' || unit == u')' || unit == u'[' || unit == u']' || unit == u'{' || unit == u'}';
}

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r'; }

void AddChunk(const WideString& chunk, WideStringVector& tokens) {
    if (chunk.Length() == 1) {
        if (!IsBlank(chunk[0])) tokens.PushBack(chunk);
    } else if (chunk.Length() > 1) {
        StrUtil::SplitQuoted(chunk, StrUtil::kBlanksW, tokens);
    }
}

std::size_t SkipBlanks(const WideString& text, std::size_t pos) {
    while (pos < text.Length() && IsBlank(text[pos])) ++pos;
    return pos;
}

}  // namespace

WideStringVector TokenizeValue(const WideString& value) {
    WideStringVector tokens;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.Length(); ++i) {
        const char16_t unit = value[i];
        if (unit == u'"') {
            quoted = !quoted;
        } else if (!quoted && IsBracket(unit)) {
            AddChunk(value.Substr(start, i - start), tokens);
            tokens.PushBack(value.Substr(i, 1));
            start = i + 1;
        }
    }
    AddChunk(value.Substr(start), tokens);
    return tokens;
}

Line Tokenize(const WideString& raw) {
    Line line;
    line.raw = raw;
    WideString text = raw;
    StrUtil::TrimLeft(text);
    StrUtil::TrimRight(text);
    if (text.IsEmpty() || text[0] == u';' || text[0] == u'#' || text.Compare(0, 2, u"//") == 0) {
        line.isComment = true;
        return line;
    }
    std::size_t keyEnd = 0;
    while (keyEnd < text.Length() && !IsBlank(text[keyEnd]) && text[keyEnd] != u'=') ++keyEnd;
    line.key = text.Substr(0, keyEnd);
    std::size_t pos = SkipBlanks(text, keyEnd);
    if (pos < text.Length() && text[pos] == u'=') {
        line.hasValue = true;
        pos = SkipBlanks(text, pos + 1);
    }
    line.value = text.Substr(pos);
    line.tokens = TokenizeValue(line.value);
    return line;
}

}  // namespace Config
