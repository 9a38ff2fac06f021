#pragma once

#include <QString>

#include <functional>

// The few operating-system operations the tool needs. One implementation per platform, chosen by the
// build; nothing else in the program asks which system it runs on.
namespace Platform {

// Opens a web address in the system's browser. Returns at once; false when it could not be started.
bool openUrl(const QString& url);

// Opens a file in the program the system associates with its type, passing the path as one argument
// (no shell). Returns at once; when no program could open the file, `failed` runs later, from the event
// loop (or at once when the opener cannot even be started).
void openDocument(const QString& path, std::function<void()> failed);

// Deletes a file, read-only or not, changing nothing but the folder's entry where the system allows it
// (a read-only file's other links keep their permissions). On failure returns false and says why in
// `reason`.
bool deleteFile(const QString& path, QString* reason = nullptr);

// Whether the path is a folder whose entries may be listed (entering it may still be refused).
[[nodiscard]] bool canReadFolder(const QString& path);

// Lets the interface thread go first: for a worker reading and searching in the background, so a
// player's keys and paints are never kept waiting behind it.
void lowerThreadPriority();

// Hands memory the program has freed back to the system, after a large list or text is let go: the
// allocator would otherwise keep it for the program's next use.
void releaseFreeMemory();

// Called once at start: blocks of a few megabytes and more (a file's text, a list's rows) are taken
// from the system and given back the moment they are freed, rather than left in the heap between the
// small blocks allocated meanwhile, where they could not be given back.
void prepareMemory();

} // namespace Platform
