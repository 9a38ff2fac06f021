#pragma once

#include <QString>
#include <QStringList>

// Where the data files live: beside the program (build folder, portable archive, Windows), or, for an
// installed program, in the player's own folder, filled once from the installed sample data.
namespace DataFolder {

// Whether `folder` holds a data set: the file 合成表.txt or 料理藥品.txt, or the folder 職業 or 技能.
[[nodiscard]] bool holdsData(const QString& folder);

// Why `folder` cannot serve as the data folder (missing, not a folder, unreadable); empty when it can.
[[nodiscard]] QString unusableReason(const QString& folder);

struct Places {
    QString programFolder; // the executable's folder
    QString installedData; // the installed sample data (read-only)
    QString playerFolder;  // the player's own folder, e.g. ~/.local/share/qmquery
};

struct Choice {
    QString folder;
    QString seedFrom; // when not empty, `folder` is to be filled from here first
};

// The program folder when it holds data; else the player's folder, seeded from the installed data when
// that exists; else the player's folder if it exists; else the program folder, where every load reports
// its missing file as it always has.
[[nodiscard]] Choice choose(const Places& places);

// Records which version filled the player's folder, so the next start of that version copies nothing.
[[nodiscard]] QString markerName();

// Copies into `to` every regular file of `from` (recursively) that `to` lacks; a file, folder or link
// already in `to` is never replaced. Links, pipes and devices in `from` are skipped. Does nothing when
// `to` carries the marker of `version`; writes that marker once every file is in place. Returns one
// line per failure, empty on success.
[[nodiscard]] QStringList seed(const QString& from, const QString& to, const QString& version);

} // namespace DataFolder
