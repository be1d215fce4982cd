#pragma once
// The file browser: fills the model from one directory (its subdirectories, its files
// matching a mask, the drives), sorts it by a column, and drives the file-state
// scanner. User-interface thread only.
#include <cstdint>
#include <optional>
#include <string>

#include "batch/browser_host.h"
#include "batch/browser_model.h"
#include "batch/file_state.h"
#include "batch/run_state.h"
#include "batch/scan_thread.h"
#include "platform/drives.h"
#include "settings/settings_record.h"

namespace vlt {

// The six column widths of the settings (Name, Size, Date, Time, Attr., State).
[[nodiscard]] ColumnWidths StoredColumnWidths(const SettingsRecord& settings);
void StoreColumnWidths(SettingsRecord& settings, const ColumnWidths& widths);

// Whether the scanner starts after a listing: FileViewSetting 0 never, 1 always,
// 2 only when the browser's directory lies on a fixed disk.
[[nodiscard]] bool ScannerStartsFor(std::uint8_t fileViewSetting, std::optional<DriveType> driveOfPath);

// The listing's first step: trimmed; empty becomes "*.*"; a path whose last part has
// no wildcard and names an existing directory, or has no "*", "." or "?" and names no
// existing file, is a directory and gets "/*.*" ("*.*" after a trailing "/").
[[nodiscard]] std::string NormaliseBrowserPath(const std::string& path);

class Browser {
public:
    Browser(BrowserHost& host, SettingsRecord& settings, RunState& state);
    ~Browser(); // stops and joins a running scanner
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Fills the browser from `path` (a directory with or without a mask, or a bare mask
    // relative to the process's current directory, which the listing changes) and makes
    // the listed path, completed, the browser path and CurrentPath. False when the path
    // has a directory part that cannot be entered: the browser then shows the current
    // directory with the path's mask. Never fails half way.
    [[nodiscard]] bool ListDirectory(const std::string& path);

    // A column header click: cycles the column's sort + / - / +, re-sorts the items and
    // restarts the scanner when it was running.
    void SortByColumn(int column);

    // Stop and wait (see StopScannerAndWait), then the results still queued are
    // applied. True when a scanner was running.
    bool StopScanner();
    // Applies the scanner's waiting results to the model; the window calls it after
    // BrowserHost::ScanUpdatesPending.
    void DrainScanUpdates();

    // The listed path: directory ending in "/" + mask, e.g. "/home/ann/*.*". It may
    // be longer than CurrentPath can store.
    const std::string& BrowserPath() const { return browserPath_; }
    BrowserModel& Model() { return model_; }
    const BrowserModel& Model() const { return model_; }

    // For tests and benchmarks: the header test the scanner uses.
    void SetFileExaminer(FileExaminer examine) { examine_ = std::move(examine); }

private:
    void StartScanner();

    BrowserHost& host_;
    SettingsRecord& settings_;
    RunState& state_;
    BrowserModel model_;
    ScanUpdateQueue updates_;
    TScanThread scanner_;
    FileExaminer examine_;
    std::string browserPath_;
};

} // namespace vlt
