#include "batch/job_driver.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "batch/directory_list.h"
#include "batch/format_thousands.h"
#include "batch/progress.h"
#include "batch/result_text.h"
#include "batch/scan_thread.h"
#include "batch/shown_name.h"
#include "batch/verify_file.h"
#include "batch/wipe_reach_note.h"
#include "container/crypt_context.h"
#include "platform/no_follow.h"
#include "platform/paths.h"
#include "support/file_access.h"
#include "support/lzh/lzh_codec.h"

namespace vlt {

namespace {

constexpr std::size_t kMaxDestinationLength = 255;

// The passphrase stores hold at most 255 bytes.
std::uint16_t StoredLength(const SecureBuffer& passphrase) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(passphrase.Size(), 255));
}

// "<path>: <reason>" for the first file operation that failed (the path it failed
// on, else the file being processed), "" when none did.
std::string LastFileErrorText(const std::string& processed) {
    const int error = LastFileError();
    const std::string failed = LastFileErrorPath();
    return error == 0 ? std::string() : ShownName(failed.empty() ? processed : failed) + ": " + std::strerror(error);
}

std::string WithoutTrailingSlash(const std::string& path) {
    return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

// One run: the driver's counters and flags, and the progress callback the one-file
// operations report to.
class JobRun final : public FileOperationHost {
public:
    JobRun(JobMode mode, JobHost& host, SettingsRecord& settings, RunState& state, const OneFileOperations& operations)
        : mode_(mode), host_(host), settings_(settings), state_(state), operations_(operations),
          reachNotes_(operations.fileSystemOf), log_(state, host) {}

    JobOutcome Run();

    bool JobProgress(ProgressKind kind, std::int32_t amount) override;
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override {
        return host_.MessageBox(caption, text, icon, buttons);
    }
    void ProcessMessages() override { host_.ProcessMessages(); }
    bool WrittenThisRun(const std::string& path) override { return written_.count(path) != 0; }

private:
    void StopScanner();
    [[nodiscard]] bool PrepareResources();
    void ReleaseResources();
    void AskDestination();
    void EnterJobView();
    void DirectoryGroup(const JobSelection& selection);
    void SingleFiles(const JobSelection& selection);
    void DriveGroup(const JobSelection& selection);
    void ListedGroup(const std::string& searchPath, const std::string& mask, bool drive);
    void StartGroup(std::int64_t count, std::int64_t total);
    [[nodiscard]] bool ConfirmGroup(const std::string& question, bool drive);
    // A wipe run, or an encryption run that wipes its originals.
    [[nodiscard]] bool WipesFiles() const;
    // Before a group is confirmed: a note for each file system of its files where
    // wiping may not reach the old data, once per run.
    void NoteWipeReach(const std::vector<std::string>& files);
    void NoteWipeReachOfListing();
    void NoteWipeReach(const std::string& path, std::optional<std::uint64_t> device);
    // `listed`: the device and inode the listing saw; a file that is no longer the
    // one listed (or is reached through a link now) is skipped.
    void ProcessFile(const std::string& path, std::int64_t size, const std::optional<FileIdentity>& listed = {});
    void ReportListing();
    // The fields the encryption and decryption records share.
    template <typename Context> void FillCommonFields(Context& context, const std::string& path) const;
    void EncryptStep(const std::string& path);
    void DecryptStep(const std::string& path);
    void WipeStep(const std::string& path);
    void VerifyStep(const std::string& path);
    void TextStep(ResultCode code);
    // Counts the line just finished as an error (or a failed wipe) and tells the host.
    void CountError(bool wipe = false, const std::string& systemReason = "");
    // A target this run has already written: the file is left as it is, an error.
    void RefuseOwnOutput();
    void Redraw(bool full);
    void Finish();

    const JobMode mode_;
    JobHost& host_;
    SettingsRecord& settings_;
    RunState& state_;
    const OneFileOperations& operations_;
    WipeReachNotes reachNotes_;
    MessageLog log_;
    TDirectoryList list_{TDirectoryList::kMaxBlocks, true};
    JobOutcome outcome_;
    std::string destination_;
    std::set<std::string> written_; // outputs of this run, never replaced by a later file
    std::string currentPath_;       // the file being processed
    bool stop_ = false;
    bool refill_ = false;
    bool cryptContext_ = false;
    bool lzhTables_ = false;
    bool wipeBuffers_ = false;
};

JobOutcome JobRun::Run() {
    StopScanner();
    if (!PrepareResources()) {
        ReleaseResources();
        return outcome_;
    }
    AskDestination();
    EnterJobView();
    state_.UserBreak = false;
    const JobSelection selection = host_.Selection();
    DirectoryGroup(selection);
    SingleFiles(selection);
    DriveGroup(selection);
    Finish();
    return outcome_;
}

void JobRun::StopScanner() {
    StopScannerAndWait(state_, [this] { host_.ProcessMessages(); });
}

bool JobRun::PrepareResources() {
    if (mode_ == jmWipe) {
        wipeBuffers_ = PrepareWipeBuffers();
        if (!wipeBuffers_) {
            (void)host_.MessageBox("System Error", "Out of memory!", MsgIcon::Exclamation, MsgButtons::Ok);
            outcome_.failed = true;
        }
        return wipeBuffers_;
    }
    host_.ShowPassphraseDialog(mode_ == jmEncrypt);
    SecureBuffer first;
    SecureBuffer second;
    if (!host_.GetPassphrases(first, second)) {
        outcome_.cancelled = true;
        return false;
    }
    KeyRecord keys;
    keys.firstAlgorithm = settings_.Algo1Box;
    keys.firstPassphrase = first.Data();
    keys.firstLength = StoredLength(first);
    if (settings_.MixedEncryptionSwitch) {
        keys.secondAlgorithm = settings_.Algo2Box;
        keys.secondPassphrase = second.Data();
        keys.secondLength = StoredLength(second);
    }
    const int setup = SetupCryptContext(keys, settings_.VLT7CompSwitch != 0);
    first.Release();
    second.Release();
    if (setup == kSetupOutOfMemory || setup == kSetupInvalidAlgorithm) {
        (void)host_.MessageBox(
            "System Error", setup == kSetupOutOfMemory ? "Out of memory!" : "The selected algorithm is not available!",
            MsgIcon::Exclamation, MsgButtons::Ok);
        outcome_.failed = true;
        return false;
    }
    cryptContext_ = true;
    if (setup == kSetupWeakKey &&
        host_.MessageBox("Warning", "A weak key was detected. Do you want to continue anyway?", MsgIcon::Exclamation,
                         MsgButtons::YesNo) != MsgAnswer::Yes) {
        outcome_.cancelled = true;
        return false;
    }
    bool ready = true;
    if (settings_.CompressSwitch || mode_ == jmDecrypt || mode_ == jmVerify) {
        lzhTables_ = LzhAllocTables();
        ready = lzhTables_;
    }
    if (ready && settings_.WipeSwitch && mode_ == jmEncrypt) {
        wipeBuffers_ = PrepareWipeBuffers();
        ready = wipeBuffers_;
    }
    if (!ready) {
        (void)host_.MessageBox("System Error", "Out of memory!", MsgIcon::Exclamation, MsgButtons::Ok);
        outcome_.failed = true;
    }
    return ready;
}

void JobRun::ReleaseResources() {
    if (cryptContext_) {
        ReleaseCryptContext();
        cryptContext_ = false;
    }
    if (lzhTables_) {
        LzhFreeTables();
        lzhTables_ = false;
    }
    if (wipeBuffers_) {
        ReleaseWipeBuffers();
        wipeBuffers_ = false;
    }
}

void JobRun::AskDestination() {
    if (!settings_.ExtDestDialogSwitch || mode_ == jmWipe || mode_ == jmVerify) {
        return;
    }
    std::string chosen = host_.AskDestination("Destination", settings_.GetLastDestination());
    if (chosen.empty()) {
        return;
    }
    if (chosen.back() != '/') {
        chosen += '/';
    }
    // Resolved once, like the listed trees: every output path is then link-free.
    destination_ = chosen;
    if (char resolved[PATH_MAX]; realpath(chosen.c_str(), resolved) != nullptr) {
        destination_ = std::string(resolved) + (resolved[1] == '\0' ? "" : "/");
    }
    (void)settings_.SetLastDestination(chosen.substr(0, kMaxDestinationLength));
}

void JobRun::EnterJobView() {
    state_.ProgressColour = JobColour(mode_);
    state_.LastPainted = 0;
    state_.LastPercent = 100;
    state_.JobActive = true;
    host_.EnterJobView(mode_);
    Redraw(true);
    log_.LogStart();
    outcome_.started = true;
}

void JobRun::DirectoryGroup(const JobSelection& selection) {
    for (const std::string& directory : selection.directories) {
        if (stop_) {
            return;
        }
        const std::string path = WithoutTrailingSlash(directory);
        const std::string name = PathNamePart(path);
        if (name == "." || name == "..") {
            continue;
        }
        const std::string searchPath = path + "/" + selection.mask;
        log_.LogLine("Searching files in " + ShownName(searchPath) + " ...");
        ListedGroup(searchPath, selection.mask, false);
    }
}

void JobRun::SingleFiles(const JobSelection& selection) {
    if (stop_) {
        return;
    }
    log_.LogLine("Searching for single selected files...");
    if (selection.files.empty()) {
        log_.LogLine("No files found.");
        return;
    }
    std::int64_t total = 0;
    for (const std::string& file : selection.files) {
        total += static_cast<std::int64_t>(FileSizeOf(ResolveDirectoryPart(file)));
    }
    const auto count = static_cast<std::int64_t>(selection.files.size());
    outcome_.found += count;
    StartGroup(count, total);
    NoteWipeReach(selection.files);
    if (!ConfirmGroup("Should the " + std::to_string(count) + " single selected file(s) be " + JobParticiple(mode_) +
                          " now?",
                      false)) {
        return;
    }
    for (const std::string& selected : selection.files) {
        if (stop_) {
            return;
        }
        refill_ = true;
        host_.ProcessMessages();
        // Links above the file were the user's path; from here on none is followed.
        const std::string file = ResolveDirectoryPart(selected);
        const auto size = static_cast<std::int64_t>(FileSizeOf(file));
        ProcessFile(file, size);
        if (!stop_) {
            state_.BatchDone += size;
            Redraw(false);
        }
        if (state_.UserBreak) {
            stop_ = true;
            outcome_.cancelled = true;
        }
    }
}

void JobRun::DriveGroup(const JobSelection& selection) {
    for (const std::string& drive : selection.drives) {
        if (stop_) {
            return;
        }
        const std::string searchPath = WithoutTrailingSlash(drive) + (drive == "/" ? "" : "/") + selection.mask;
        log_.LogLine("Searching files on drive " + ShownName(searchPath) + " ...");
        ListedGroup(searchPath, selection.mask, true);
    }
}

void JobRun::ListedGroup(const std::string& searchPath, const std::string& mask, bool drive) {
    // A mask is a name: one that would reach other directories lists nothing.
    if (!IsPlainMask(mask)) {
        log_.LogLine("The file mask " + ShownName(mask) + " is not a plain name.");
        CountError();
        return;
    }
    (void)list_.Build(searchPath, settings_.ExcludeMask, settings_.VLT7CompSwitch == 0, drive);
    ReportListing();
    const std::int64_t count = list_.FileCount();
    outcome_.found += count;
    if (count == 0) {
        log_.LogLine("No files found.");
        return;
    }
    StartGroup(count, list_.TotalSize());
    NoteWipeReachOfListing();
    if (!ConfirmGroup("Should the " + std::to_string(count) + " file(s) be " + JobParticiple(mode_) + " now?", drive)) {
        return;
    }
    refill_ = true;
    state_.UserBreak = false;
    std::string path;
    std::int64_t size = 0;
    FileIdentity identity;
    list_.First(path, size, identity);
    for (std::int64_t i = 0; i < count && !stop_ && !path.empty(); ++i) {
        host_.ProcessMessages();
        ProcessFile(path, size, identity);
        state_.BatchDone += size;
        Redraw(false);
        if (state_.UserBreak) {
            stop_ = true;
            outcome_.cancelled = true;
        } else {
            list_.Next(path, size, identity);
        }
    }
}

// What the listing had to leave out: each an error of the run, and the files the
// exclusion mask left out counted for the summary.
void JobRun::ReportListing() {
    for (const ListingProblem& problem : list_.Problems()) {
        const std::string shown = ShownName(problem.path);
        switch (problem.kind) {
        case ListingProblem::NameTooLong:
            log_.LogLine("Name too long, left out: " + shown);
            break;
        case ListingProblem::TooManyDirectories:
            log_.LogLine("More than " + FormatThousands(TDirectoryList::kMaxDirectories) + " subdirectories below " +
                         shown + ": not listed.");
            break;
        case ListingProblem::Unreadable:
            log_.LogLine("Cannot read " + shown + " (" + std::strerror(problem.error) + "): its files are left out.");
            break;
        }
        CountError();
    }
    outcome_.leftOut += list_.LeftOut();
    outcome_.leftOutAttributes |= list_.LeftOutAttributes();
}

void JobRun::StartGroup(std::int64_t count, std::int64_t total) {
    state_.BatchTotal = total;
    state_.BatchDone = 0;
    state_.LastPainted = 0;
    Redraw(true);
    log_.LogLine(std::to_string(count) + " file(s) found, " + FormatThousands(total) + " bytes together.");
}

bool JobRun::ConfirmGroup(const std::string& question, bool drive) {
    // Wiping a whole drive is always confirmed; a check changes nothing and is never asked about.
    const bool ask = mode_ != jmVerify &&
                     (settings_.ConfirmSwitch || (mode_ == jmWipe && (drive || settings_.WipeConfSwitch)));
    if (!ask) {
        return true;
    }
    switch (host_.MessageBox("Confirmation required", question, MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes:
        return true;
    case MsgAnswer::No:
        return false;
    default:
        stop_ = true;
        outcome_.cancelled = true;
        return false;
    }
}

bool JobRun::WipesFiles() const {
    return mode_ == jmWipe || (mode_ == jmEncrypt && settings_.WipeSwitch);
}

void JobRun::NoteWipeReach(const std::vector<std::string>& files) {
    if (!WipesFiles()) {
        return;
    }
    for (const std::string& file : files) {
        NoteWipeReach(ResolveDirectoryPart(file), std::nullopt);
    }
}

void JobRun::NoteWipeReachOfListing() {
    if (!WipesFiles()) {
        return;
    }
    std::string path;
    std::int64_t size = 0;
    FileIdentity identity;
    for (list_.First(path, size, identity); !path.empty(); list_.Next(path, size, identity)) {
        NoteWipeReach(path, identity.device);
    }
}

void JobRun::NoteWipeReach(const std::string& path, std::optional<std::uint64_t> device) {
    if (const std::string note = reachNotes_.NoteFor(path, device); !note.empty()) {
        log_.LogLine(note);
    }
}

void JobRun::ProcessFile(const std::string& path, std::int64_t size, const std::optional<FileIdentity>& listed) {
    log_.LogAppend("  " + JobGerund(mode_) + " " + ShownName(path) + " (" + FormatThousands(size) +
                   " bytes), ");
    currentPath_ = path;
    ClearLastFileError();
    FileIdentity now;
    if (listed && !(EntryIdentity(path, now) && now == *listed)) {
        log_.LogLine(" NOT THE FILE LISTED (moved or linked since), skipped.");
        CountError();
        return;
    }
    state_.FileProgress = 0;
    switch (mode_) {
    case jmEncrypt:
        EncryptStep(path);
        break;
    case jmDecrypt:
        DecryptStep(path);
        break;
    case jmWipe:
        WipeStep(path);
        break;
    case jmVerify:
        VerifyStep(path);
        break;
    }
    state_.FileProgress = 0;
}

template <typename Context> void JobRun::FillCommonFields(Context& context, const std::string& path) const {
    context.SourceDir = PathDirPart(path);
    context.FileName = PathNamePart(path);
    context.DestDir = destination_;
    context.WarnOverwrite = settings_.OverWSwitch != 0;
    context.RemoveOriginal = settings_.RemoveOrigSwitch != 0;
    context.VerifyOutput = settings_.VerifyOutputs();
}

void JobRun::EncryptStep(const std::string& path) {
    TEncryptContext context;
    FillCommonFields(context, path);
    context.EncryptAgain = settings_.EncryptAgain();
    context.KeepDateTime = settings_.KeepDTSwitch != 0;
    context.StoreFileName = settings_.IncFNameSwitch != 0;
    context.RenameOutput = settings_.RenameSwitch != 0;
    context.KeepExtension = settings_.KeepExtSwitch != 0;
    context.Compress = settings_.CompressSwitch != 0;
    context.ForceCompression = settings_.ForceCompSwitch != 0;
    context.WipeOriginal = settings_.WipeSwitch != 0;
    context.WipePasses = std::clamp<int>(settings_.NumOfDODBox, 1, 99);
    context.SfsWiping = settings_.ParaWipeSwitch != 0;
    context.ZeroCBC = settings_.ZeroCBCSwitch != 0;
    context.NewName.clear();
    context.CompressionRatio = 0;
    const ResultCode code = operations_.encrypt(context, *this);
    if (context.TargetWrittenThisRun) {
        RefuseOwnOutput();
        return;
    }
    if (code == resDone || code == resWipingFailed) {
        written_.insert(!context.DestDir.empty() ? context.DestDir + context.FileName
                        : context.RenameOutput   ? context.SourceDir + context.NewName
                                                 : path);
        if (settings_.RenameSwitch) {
            log_.LogAppend(" renamed to " + ShownName(context.NewName));
        }
        if (settings_.CompressSwitch) {
            log_.LogAppend(" (" + std::to_string(context.CompressionRatio) + "%)");
        }
        if (context.OtherLinks > 0) {
            log_.LogAppend(" (" + std::to_string(context.OtherLinks) + " other hard link(s) still hold the plain text)");
        }
    }
    TextStep(code);
}

void JobRun::DecryptStep(const std::string& path) {
    TDecryptContext context;
    FillCommonFields(context, path);
    context.IgnoreCRC32 = settings_.IgnoreCRC32Switch != 0;
    context.RestoreFileName = settings_.RestFNameSwitch != 0;
    context.RestoreAttributes = settings_.RestAttrSwitch != 0;
    context.RestoredName.clear();
    const ResultCode code = operations_.decrypt(context, *this);
    if (context.TargetWrittenThisRun) {
        RefuseOwnOutput();
        return;
    }
    if (code == resDone || code == resWipingFailed) {
        const std::string& name = context.RestoredName.empty() ? context.FileName : context.RestoredName;
        written_.insert((context.DestDir.empty() ? context.SourceDir : context.DestDir) + name);
        if (!context.RestoredName.empty() && settings_.RestFNameSwitch) {
            log_.LogAppend(" (" + ShownName(context.RestoredName) + ")");
        }
        if (context.StoredNameRejected) {
            log_.LogAppend(" (stored name ignored)");
        }
    }
    TextStep(code);
}

void JobRun::WipeStep(const std::string& path) {
    // BreakRequested; the window stays responsive between the blocks of a pass.
    const WipePoll breakRequested = [this](const WipeProgress&) {
        host_.ProcessMessages();
        return state_.UserBreak.load();
    };
    const WipeOutcome outcome =
        settings_.ParaWipeSwitch
            ? operations_.wipeSfs(path, breakRequested)
            : operations_.wipe(path, std::clamp<int>(settings_.NumOfDODBox, 1, 99), breakRequested);
    switch (outcome) {
    case WipeOutcome::Wiped:
        log_.LogLine("done.");
        ++outcome_.success;
        break;
    case WipeOutcome::Stopped:
        // Not every pass was written: not "done.".
        log_.LogLine("USER BREAK");
        break;
    case WipeOutcome::Failed:
        log_.LogLine("FAILED!");
        CountError(true, LastFileErrorText(path));
        break;
    case WipeOutcome::Linked:
        log_.LogLine("FAILED! (other hard links share its data; not wiped)");
        CountError(true);
        break;
    }
}

// Only a container that decodes and fits its CRC-32 passes; everything else counts
// as an error, "NOT ENCRYPTED" included.
void JobRun::VerifyStep(const std::string& path) {
    bool storedNameUnusable = false;
    const ResultCode code = VerifyContainerFile(path, *this, storedNameUnusable);
    if (storedNameUnusable) {
        log_.LogAppend(" (stored name ignored)");
    }
    if (code == resDone) {
        log_.LogLine(" OK");
        ++outcome_.success;
        return;
    }
    const ResultMeaning meaning = DescribeResult(code);
    if (meaning.error || meaning.endsRun) {
        TextStep(code);
        return;
    }
    log_.LogLine(meaning.text);
    CountError();
}

void JobRun::RefuseOwnOutput() {
    log_.LogLine(" NOT REPLACED: THE TARGET WAS WRITTEN BY THIS RUN");
    CountError();
}

void JobRun::CountError(bool wipe, const std::string& systemReason) {
    ++(wipe ? outcome_.wipesFailed : outcome_.errors);
    host_.ErrorLogged(log_.Line(log_.CurrentLine() - 1), systemReason);
}

void JobRun::TextStep(ResultCode code) {
    const ResultMeaning meaning = DescribeResult(code);
    if (meaning.success) {
        ++outcome_.success;
    }
    log_.LogLine(meaning.text);
    if (meaning.error) {
        const bool failedOnTheDisk = code == resIOError || code == resFatalError || code == resAccessDenied;
        CountError(false, failedOnTheDisk ? LastFileErrorText(currentPath_) : std::string());
    }
    if (meaning.endsRun) {
        stop_ = true;
        if (code == resUserBreak) {
            outcome_.cancelled = true;
        }
    }
}

bool JobRun::JobProgress(ProgressKind kind, std::int32_t amount) {
    if (kind == pkWipe) {
        if (amount == 0) {
            log_.LogAppend(" wiping,");
        }
    } else {
        state_.FileProgress += amount;
        Redraw(false);
    }
    return state_.UserBreak;
}

void JobRun::Redraw(bool full) {
    const std::int64_t position = state_.BatchDone + state_.FileProgress;
    if (!full && position == state_.LastPainted) {
        return;
    }
    state_.LastPainted = position;
    const int percent = ProgressPercent(position, state_.BatchTotal);
    if (percent != state_.LastPercent) {
        state_.LastPercent = static_cast<std::uint8_t>(percent);
        host_.SetTitle(ProgressTitle(percent));
    }
    host_.DrawProgress(position, state_.BatchTotal, percent);
}

void JobRun::Finish() {
    host_.LeaveJobView(mode_);
    host_.ShowDoneDialog(DoneSummary{mode_, outcome_.found, outcome_.success, outcome_.errors, outcome_.leftOut,
                                     outcome_.leftOutAttributes},
                         log_);
    list_.Done();
    ReleaseResources();
    log_.LogEnd();
    state_.BatchDone = 0;
    host_.SetTitle(kProgramTitle);
    state_.JobActive = false;
    host_.ReturnToIdle(refill_);
}

} // namespace

JobOutcome RunJob(JobMode mode, JobHost& host, SettingsRecord& settings, RunState& state,
                  const OneFileOperations& operations) {
    JobRun run(mode, host, settings, state, operations);
    return run.Run();
}

void ConfirmStop(FileOperationHost& host, RunState& state) {
    if (host.MessageBox("User break detected", "Do you really want to break?", MsgIcon::Question, MsgButtons::YesNo) ==
        MsgAnswer::Yes) {
        state.UserBreak = true;
    }
}

} // namespace vlt
