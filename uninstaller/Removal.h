#pragma once

#include <QString>

#include <functional>
#include <vector>

// What "Devam" removes, row by row, for each of the three options:
// 0 everything, 1 keep the added melodies and songs, 2 keep those and the
// settings.
namespace removal {

struct Step {
    enum Kind { DeleteFiles, RemoveFolder, DeleteAutostart, DeleteSettings, Wait };
    Kind kind;
    QString path;       // below the installation folder ("" for the folder itself)
    double seconds = 0; // Wait
    QString caption;    // Wait
};

std::vector<Step> plan(int option);

// Deletes the regular files and links directly in `folder` (never what a link
// points to, never into subfolders).
void deleteFiles(const QString& folder);

// Runs the steps on `installFolder`, resolved once; a folder of it that is a
// link is removed as a link, and nothing behind a link is listed or deleted.
// `wait` shows a caption and waits, and returns false when the user
// cancelled: the remaining steps are not done.
bool run(const std::vector<Step>& steps, const QString& installFolder,
         const std::function<bool(double seconds, const QString& caption)>& wait);

} // namespace removal
