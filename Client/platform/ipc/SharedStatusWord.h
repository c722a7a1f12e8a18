#pragma once
// A 32-bit word that another program publishes in a named POSIX shared-memory object
// (shm_open). The object is read, never mapped: one that is cut short or still empty
// cannot fault the reader. Its name is shared by every user of the machine, so only an
// object of our own user is believed.
#include <cstdint>
#include <string>

enum class StatusWordRead {
    Missing,     // no object of that name yet
    NotWritten,  // the object exists but holds fewer than 4 bytes
    Read,        // value holds the word at offset 0
    Failed,      // the object exists but cannot be opened or read
    Foreign,     // the object belongs to another user: its word is not read
};

// name starts with '/', as shm_open wants it.
StatusWordRead ReadSharedStatusWord(const std::string& name, std::int32_t& value);

// Removes the object; true when none is left of that name. Objects outlive the
// programs that made them, so a reader removes a stale one before it waits for news.
bool RemoveSharedStatusWord(const std::string& name);
