#pragma once
// The list of damaged files that the full check finds and the repair consumes. Entries
// are appended in check order and never removed; the repair rewrites their codes.
// Header-only, so that the engine's worker can build one without linking the workflow.
#include "base/runtime/RefCounter.h"
#include "base/runtime/Vector.h"
#include "workflow/repair/RipEntry.h"

class Rip final : public RefCounter {
public:
    Rip() = default;

    // At least one damaged file is a module of the running launcher: it cannot be
    // replaced while the launcher runs.
    bool systemFile = false;
    Vector<RipEntry> entries;

    void Append(const WideString& path, std::uint32_t size, std::int32_t code,
                Game::GameFolder::Content* record = nullptr) {
        RipEntry entry;
        entry.path = path;
        entry.size = size;
        entry.code = code;
        entry.record = record;
        entries.PushBack(std::move(entry));
    }

private:
    ~Rip() override = default;
};
