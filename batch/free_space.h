#pragma once
// Clearing the free space of a drive: one fill file of random data, written straight
// to the disk until the disk is full or the user stops, deleted when the clearing
// window closes.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "container/message_box_host.h"
#include "platform/unbuffered_file.h"

namespace vlt {

inline constexpr char kFillFileName[] = "VLT95CF.DAT";
inline constexpr std::size_t kFillBlockSize = 16384;
// The written total at which the progress text is renewed.
inline constexpr std::uint64_t kFillInfoStep = 262144;

// The clearing window (TDiskClearer) as the filling sees it.
class FreeSpaceView : public MessageBoxHost {
public:
    // Shows the window (not modal) with this caption.
    virtual void ShowClearer(const std::string& caption) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetInfo(const std::string& text) = 0;
    // Lets pending window messages run, so that Cancel can be clicked.
    virtual void ProcessMessages() = 0;
};

enum class FillOutcome {
    NoMemory,  // "Out of memory!": no window, nothing written
    CantOpen,  // "Can't open ... !": no window, nothing written
    DiskFull,  // the disk filled up or a write failed
    UserBreak, // Cancel stopped the filling
};

// Where the fill goes. An unnamed file frees its space by itself however the program
// ends, so it is taken wherever the file system offers one; the named file is created
// exclusively and never replaces an existing file of that name.
enum class FillFile { UnnamedWherePossible, Named };

class FreeSpaceClearer {
public:
    explicit FreeSpaceClearer(FillFile kind = FillFile::UnnamedWherePossible) : kind_(kind) {}
    ~FreeSpaceClearer() { FormClose(); }
    FreeSpaceClearer(const FreeSpaceClearer&) = delete;
    FreeSpaceClearer& operator=(const FreeSpaceClearer&) = delete;

    // Fills the file system of `directory` (ending in "/") with the fill file; returns
    // when the filling has stopped. The file stays open until FormClose.
    [[nodiscard]] FillOutcome ClearFreeSpace(const std::string& directory, FreeSpaceView& view);

    // Cancel: ends the filling, also when pressed while the window is being shown;
    // safe from another thread or a signal handler.
    void StopButtonClick() { breakRequested_ = true; }
    // The window may close once the filling has finished.
    [[nodiscard]] bool FormCloseQuery() const { return mayClose_; }
    // Flushes, closes and deletes the fill file.
    void FormClose();

    [[nodiscard]] std::uint64_t Written() const { return written_; }
    // The fill file's name while it exists; "" for an unnamed fill file.
    [[nodiscard]] const std::string& FillPath() const { return fillPath_; }

private:
    [[nodiscard]] bool OpenFillFile(const std::string& directory);
    void Fill(const std::uint8_t* pattern, const std::string& directory, FreeSpaceView& view, std::uint64_t freeSpace);

    FillFile kind_;
    UnbufferedFile file_;
    std::string fillPath_;
    std::atomic<bool> breakRequested_{false};
    bool mayClose_ = true;
    std::uint64_t written_ = 0;
};

// The drive (mount point) holding `directory`, as the clearing window names it.
[[nodiscard]] std::string DriveOf(const std::string& directory);

} // namespace vlt
