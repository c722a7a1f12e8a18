#include "base/config/StorageLoader.h"

#include "base/config/GlobalRegistry.h"
#include "base/config/NumberText.h"
#include "base/runtime/StrUtil.h"

namespace {

// CR, LF and NUL would split or cut the saved line, letting a text (a login typed in
// the page) inject keys of its own.
WideString WithoutLineBreaks(const WideString& text) {
    WideString clean;
    for (const char16_t unit : text) {
        if (unit != u'\r' && unit != u'\n' && unit != u'\0') clean.Append(unit);
    }
    return clean;
}

}  // namespace

StorageLoader::StorageLoader(Global::Group* group) : group_(group) {
    // Created first, so that the registry outlives the loader and its variables.
    Global::Registry::Instance();
}

StorageLoader::~StorageLoader() = default;

void StorageLoader::Load(const String& path) {
    fileName_ = path;
    RefPtr<Config::FileLineReader> reader = Config::FileLineReader::Create(path);
    if (reader) LoadFrom(*reader);
}

void StorageLoader::LoadFrom(Config::ILineReader& reader) {
    bool conversionFailed = false;
    WideString line;
    while (reader.ReadLine(conversionFailed, line)) {
        StrUtil::TrimRight(line);
        ParseLine(line, true);
    }
}

WideString StorageLoader::SavedLine(const String& name, const Global::Value& value) {
    WideString line = StrUtil::ToWide(name);
    switch (value.Type()) {
        case Global::ValueType::unset:
            return WideString();
        case Global::ValueType::number:
            line.Append(u" = ");
            line.Append(StrUtil::ToWide(Global::FormatForFile(value.Number())));
            return line;
        case Global::ValueType::text:
            line.Append(u" = \"");
            line.Append(WithoutLineBreaks(value.Text()));
            line.Append(u'"');
            return line;
    }
    return WideString();
}

bool StorageLoader::SaveTo(Config::ILineWriter& writer) const {
    Global::Registry& registry = Global::Registry::Instance();
    for (const String& name : registry.ListGroup(group_)) {
        const WideString line = SavedLine(name, registry.GetValue(name));
        if (!line.IsEmpty() && !writer.WriteLine(line)) return false;
    }
    return true;
}

bool StorageLoader::Save() {
    RefPtr<Config::FileLineWriter> writer = Config::FileLineWriter::Create(fileName_);
    return writer && SaveTo(*writer) && writer->Commit();
}

void StorageLoader::ParseLine(const WideString& text, bool allowAliases) {
    const Config::Line line = Config::Tokenize(text);
    if (!line.isComment) ApplyLine(line, allowAliases);
}

void StorageLoader::ApplyLine(const Config::Line& line, bool allowAliases) {
    const String name = StrUtil::ToNarrow(line.key);
    if (line.hasValue) {
        AssignValue(name, line.value);
        return;
    }
    Global::Registry& registry = Global::Registry::Instance();
    if (registry.Exists(name)) return;
    if (allowAliases && registry.HasAlias(name)) {
        // One level only: the expanded line is not expanded again.
        WideString expanded = registry.AliasText(name);
        expanded.Append(u' ');
        expanded.Append(line.value);
        StrUtil::TrimRight(expanded);
        ParseLine(expanded, false);
        return;
    }
    registry.RunCommand(Config::CommandLine{line.raw, name, line.value, line.tokens});
}

void StorageLoader::AssignValue(const String& name, const WideString& value) {
    if (!value.IsEmpty() && value[0] == u'"') {
        // The closing quote is optional and nothing inside is unescaped.
        const bool closed = value.Length() >= 2 && value[value.Length() - 1] == u'"';
        AssignText(name, value.Substr(1, value.Length() - (closed ? 2 : 1)));
    } else if (value.Equals(u"false") || value.Equals(u"true")) {
        AssignBool(name, value.Equals(u"true"));
    } else {
        bool ok = false;
        const double number = StrUtil::ParseDouble(StrUtil::ToNarrow(value).CStr(), &ok);
        if (ok) AssignDouble(name, number);
    }
}

void StorageLoader::AssignText(const String& name, const WideString& text) {
    AssignOrWrap<Global::WString>(name, text);
}

void StorageLoader::AssignBool(const String& name, bool flag) { AssignOrWrap<Global::Bool>(name, flag); }

void StorageLoader::AssignDouble(const String& name, double number) {
    AssignOrWrap<Global::Double>(name, number);
}

template <class T, class Initial>
void StorageLoader::AssignOrWrap(const String& name, const Initial& initial) {
    Global::Registry& registry = Global::Registry::Instance();
    if (registry.IsInGroup(name, group_)) {
        registry.AssignByName(name, Global::Value(initial));
        return;
    }
    // A key of another group, named again: its wrap takes the new value the way a new
    // registration would, without piling up one more variable per line.
    if (auto* known = wrapsByName_.Find(name)) {
        registry.SetQuietly(&known->data->Variable(), Global::Value(initial));
        return;
    }
    auto* wrap = new VarWrap<T>(name, initial, group_);
    wraps_.PushBack(RefPtr<RefCounter>(wrap));
    wrapsByName_.Insert(name, wrap);
}
