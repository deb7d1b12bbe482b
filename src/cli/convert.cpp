#include "cli/convert.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <system_error>

#include "cli/console_prompter.h"
#include "cli/png_dump.h"
#include "core/command_context.h"
#include "core/file_helpers.h"
#include "core/png_codec.h"
#include "core/save_flow.h"
#include "imageops/all_sizes.h"
#include "imageops/masks.h"
#include "mac/icns.h"
#include "mac/save_commands.h"
#include "open/iconset.h"
#include "open/open_command.h"
#include "win/bmp_jpeg.h"
#include "win/ico_writer.h"

namespace vexilo::cli {

namespace {

namespace fs = std::filesystem;
using Command = std::function<core::Outcome(core::CommandContext&)>;

Command commandOf(const Output& output) {
  switch (output.kind) {
    case OutputKind::Icns: return output.slot ? mac::icnsClick : mac::saveDataFork;
    case OutputKind::Ico: return output.slot ? win::icoClick : win::wicClick;
    case OutputKind::MacBinaryResource: return mac::saveResourceFork;
    case OutputKind::MacBinaryBoth: return mac::saveBothForks;
    case OutputKind::CustomIcon: return mac::saveCustomIcon;
    case OutputKind::Iconset:
      return [](core::CommandContext& ctx) { return open::saveIconset(ctx, core::FileDialogRequest{}); };
    case OutputKind::Bmp: return win::sbmClick;
    case OutputKind::Jpeg: return win::jpgClick;
    case OutputKind::Png: return win::pngClick;
  }
  return {};
}

// A file of the dump, written the way the save commands write theirs.
Command dumpFileCommand(core::ByteBuffer bytes) {
  return [bytes = std::move(bytes)](core::CommandContext& ctx) {
    const auto path = core::chooseSaveTarget(ctx, core::FileDialogRequest{});
    return path ? core::writeOutput(ctx, *path, bytes) : core::Outcome::Cancelled;
  };
}

class Run {
 public:
  Run(const Arguments& args, std::ostream& err)
      : args_(args),
        prompter_(err, args.langOffset, args.force),
        ctx_{board_, prompter_, args.langOffset, nullptr, nullptr,
             core::timeZoneShift(static_cast<std::int64_t>(std::time(nullptr)))} {}

  // Every input in order; whether all of them were read without a message.
  bool read() {
    prompter_.take();
    for (const std::string& input : args_.inputs) open::openIconFile(ctx_, input);
    return prompter_.take().messages == 0;
  }

  void createSizes() { imageops::createAllSizes(board_, std::nullopt); }
  void createMasks() { imageops::createAllMasks(board_); }

  const core::IconSet& board() const { return board_; }

  // DIR/<slot>.png for every slot holding a picture, and DIR/board.txt; whether all were written.
  bool dump(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
      core::showFileError(prompter_, args_.langOffset, dir);
      return false;
    }
    bool ok = true;
    for (std::size_t i = 0; i < core::kSlotCount; ++i) {
      const auto id = static_cast<core::SlotId>(i);
      if (!holdsPicture(board_, id)) continue;
      const std::string path = (fs::path(dir) / (std::string(core::slotName(id)) + ".png")).string();
      auto png = core::encodePng(*board_.slot(id).picture);
      ok = save(png ? dumpFileCommand(std::move(*png)) : Command(), path) && ok;
    }
    const std::string listing = boardListing(board_);
    const std::string path = (fs::path(dir) / "board.txt").string();
    return save(dumpFileCommand(core::ByteBuffer(listing.begin(), listing.end())), path) && ok;
  }

  // One output of the command line; whether it was written.
  bool write(const Output& output) {
    if (output.slot) board_.select(*output.slot);
    return save(commandOf(output), output.path);
  }

 private:
  // Runs a save command whose dialog answers `path`; whether it wrote the file.
  bool save(const Command& command, const std::string& path) {
    prompter_.take();
    prompter_.setSavePath(path);
    const core::Outcome outcome = command ? command(ctx_) : core::Outcome::Refused;
    prompter_.setSavePath({});
    const ConsolePrompter::Record record = prompter_.take();
    if (outcome == core::Outcome::Written) return true;
    // A command that stops without a word (a slot without a picture or of the wrong kind).
    if (record.refusals == 0 && record.messages == 0)
      prompter_.note(args_.langOffset ? path + " : rien n'a été écrit." : path + ": nothing was written.");
    return false;
  }

  const Arguments& args_;
  core::IconSet board_;
  ConsolePrompter prompter_;
  core::CommandContext ctx_;
};

}  // namespace

int runConversion(const Arguments& args, std::ostream& out, std::ostream& err) {
  Run run(args, err);
  const bool inputsRead = run.read();
  if (args.fillSizes) run.createSizes();
  if (args.mask) run.createMasks();
  if (args.list) out << boardListing(run.board()) << std::flush;
  bool written = true;
  if (args.dumpDir) written = run.dump(*args.dumpDir);
  for (const Output& output : args.outputs) written = run.write(output) && written;
  if (!inputsRead) return kExitInput;
  return written ? kExitOk : kExitOutput;
}

}  // namespace vexilo::cli
