#include "HubScript.h"

#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string Print(const TiXmlElement& root) {
    TiXmlPrinter printer;
    root.Accept(&printer);
    return printer.CStr();
}

void SetInt64(TiXmlElement& element, const char* name, std::int64_t value) {
    element.SetAttribute(name, std::to_string(value).c_str());
}

// The "Progress" element over the enabled packs: all of them ready and to be
// downloaded, what has been downloaded in this run, what was there before.
TiXmlElement* MakeProgress(const std::vector<ScriptPack>& packs) {
    std::int64_t total = 0, done = 0, before = 0;
    for (const ScriptPack& pack : packs) {
        if (!pack.enabled) continue;
        total += pack.size;
        done += pack.done;
        before += pack.initiallyDone;
    }
    auto* progress = new TiXmlElement("Progress");
    SetInt64(*progress, "ReadyDone", done);
    SetInt64(*progress, "ReadyTotal", total);
    SetInt64(*progress, "DownloadDone", done - before);
    SetInt64(*progress, "DownloadTotal", total - before);
    SetInt64(*progress, "AlreadyDownloaded", before);
    return progress;
}

}  // namespace

bool HubScript::Load(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t comment = line.find('#');
        std::istringstream words(line.substr(0, comment));
        std::string keyword;
        if (!(words >> keyword)) continue;
        bool ok = true;
        if (keyword == "params") {
            ok = static_cast<bool>(words >> apiVersion >> lightMode >> clientAccepted);
        } else if (keyword == "build") {
            ok = static_cast<bool>(words >> buildInfo >> serverBuild);
        } else if (keyword == "pack") {
            ScriptPack pack;
            ok = static_cast<bool>(words >> pack.name >> pack.size) && pack.size >= 0;
            if (ok && !(words >> pack.done)) pack.done = 0;
            pack.done = std::min(std::max<std::int64_t>(pack.done, 0), pack.size);
            pack.initiallyDone = pack.done;
            packs.push_back(pack);
        } else if (keyword == "rate") {
            ok = static_cast<bool>(words >> rate) && rate >= 0;
        } else if (keyword == "tick") {
            ok = static_cast<bool>(words >> tickMs) && tickMs > 0;
        } else if (keyword == "newbuild") {
            ok = static_cast<bool>(words >> newBuild);
        } else {
            ok = false;
        }
        if (!ok) {
            error = "bad line in " + path + ": " + line;
            return false;
        }
    }
    return true;
}

std::vector<const ScriptPack*> HubScript::Advance(std::int64_t elapsedMs) {
    carriedBytes_ += rate * elapsedMs;
    std::int64_t budget = carriedBytes_ / 1000;
    carriedBytes_ %= 1000;
    std::vector<const ScriptPack*> completed;
    for (ScriptPack& pack : packs) {
        if (budget == 0) break;
        if (!pack.enabled || pack.Complete()) continue;
        const std::int64_t step = std::min(budget, pack.size - pack.done);
        pack.done += step;
        budget -= step;
        if (pack.Complete()) completed.push_back(&pack);
    }
    return completed;
}

bool HubScript::SetPackState(const std::string& name, bool enable, int priority) {
    for (ScriptPack& pack : packs) {
        if (pack.name != name) continue;
        pack.enabled = enable;
        pack.priority = priority;
        return true;
    }
    return false;
}

std::string HubScript::ParamsMessage() const {
    TiXmlElement root("SetParams");
    SetInt64(root, "ProcessId", getpid());
    root.SetAttribute("ApiVersion", apiVersion);
    root.SetAttribute("LightMode", lightMode ? 1 : 0);
    root.SetAttribute("ClientAccepted", clientAccepted);
    return Print(root);
}

std::string HubScript::PackListMessage(const std::vector<const ScriptPack*>& list, bool fullSet) const {
    TiXmlElement root("GetPackInfosOut");
    root.SetAttribute("ApiVersion", apiVersion);
    root.SetAttribute("VantryBuild", 1);
    root.SetAttribute("ServerBuild", serverBuild);
    root.SetAttribute("FullPackSet", fullSet ? 1 : 0);
    root.SetAttribute("BuildInfo", buildInfo.c_str());
    root.SetAttribute("LastServerVerified", 0);
    root.LinkEndChild(MakeProgress(packs));
    for (const ScriptPack* pack : list) {
        auto* element = new TiXmlElement("Pack");
        element->SetAttribute("Name", pack->name.c_str());
        element->SetAttribute("ReadyBuild", pack->Complete() ? serverBuild : 0);
        element->SetAttribute("ServerBuild", serverBuild);
        element->SetAttribute("Enabled", pack->enabled ? 1 : 0);
        element->SetAttribute("Priority", pack->priority);
        SetInt64(*element, "ReadyDone", pack->done);
        SetInt64(*element, "ReadyTotal", pack->size);
        SetInt64(*element, "DownloadDone", pack->done - pack->initiallyDone);
        SetInt64(*element, "DownloadTotal", pack->size - pack->initiallyDone);
        root.LinkEndChild(element);
    }
    return Print(root);
}

std::string HubScript::FullPackListMessage() const {
    std::vector<const ScriptPack*> all;
    for (const ScriptPack& pack : packs) all.push_back(&pack);
    return PackListMessage(all, true);
}

std::string HubScript::ProgressMessage() const {
    TiXmlElement root("GetProgressOut");
    root.LinkEndChild(MakeProgress(packs));
    return Print(root);
}

std::string HubScript::NewBuildMessage() const {
    TiXmlElement root("NewGameBuildDetectedOut");
    root.SetAttribute("NewBuild", newBuild);
    root.SetAttribute("BuildInfo", buildInfo.c_str());
    return Print(root);
}
