#include "runtime/OutputFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "runtime/FileLayer.h"

namespace fs = std::filesystem;

namespace {

// Writes of at most this many bytes each, so a count always fits the file
// layer's 32-bit sizes.
constexpr size_t WriteBlock = size_t(1) << 24;

// Where the bytes of Output go in the end: the name at the end of its chain
// of symbolic links (so every link stays, and a link to a file not made yet
// gets it made), or Output itself. The chain is followed link by link, as
// the system would, because the file it leads to need not exist yet.
std::string FinalName(const std::string& Output) {
  constexpr int MostLinks = 40;  // the system's own bound on a chain
  std::string Name = Output;
  for (int Links = 0;; ++Links) {
    struct stat Info;
    if (::lstat(Name.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode)) return Name;
    std::error_code Error;
    const fs::path Target = fs::read_symlink(Name, Error);
    if (Links == MostLinks || Error) {
      const int Reason = Error ? Error.value() : ELOOP;
      throw EOutputFile("Cannot create file " + Output + ": " + std::strerror(Reason));
    }
    // Not normalised: ".." after a folder that is a link is the system's to
    // resolve.
    Name = Target.is_absolute() ? Target.string() : (fs::path(Name).parent_path() / Target).string();
  }
}

// The file an output reaches, to tell whether two outputs are one: the file
// itself when it exists (every name and link of it alike), and the folder it
// is in with its name there (for a file not made yet).
struct TReached {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  bool InFolder = false;
  dev_t FolderDevice = 0;
  ino_t FolderInode = 0;
  std::string Name;  // the name in its folder; the whole path lexically when the folder is missing

  explicit TReached(const std::string& Final) {
    struct stat Info;
    if (::stat(Final.c_str(), &Info) == 0) {
      Exists = true;
      Device = Info.st_dev;
      Inode = Info.st_ino;
    }
    const fs::path Path(Final);
    const fs::path Folder = Path.has_parent_path() ? Path.parent_path() : fs::path(".");
    if (::stat(Folder.c_str(), &Info) == 0) {
      InFolder = true;
      FolderDevice = Info.st_dev;
      FolderInode = Info.st_ino;
      Name = Path.filename().string();
    } else {
      std::error_code Error;
      Name = fs::absolute(Path, Error).lexically_normal().string();
    }
  }

  bool operator==(const TReached& Other) const {
    if (Exists && Other.Exists) return Device == Other.Device && Inode == Other.Inode;
    if (Exists != Other.Exists || InFolder != Other.InFolder || Name != Other.Name) return false;
    return !InFolder || (FolderDevice == Other.FolderDevice && FolderInode == Other.FolderInode);
  }
};

// A name beside Final that no file holds yet: hidden, and told apart by the
// process and a count, so two writers of the same file never meet. Kind
// ends it: "part" for a new file being written, "old" for the file it
// replaces while the set is put in place.
std::string TemporaryName(const std::string& Final, const char* Kind = "part") {
  static std::atomic<unsigned> Count{0};
  const fs::path Path(Final);
  return (Path.parent_path() / ("." + Path.filename().string() + "." + std::to_string(::getpid()) + "-" +
                                std::to_string(Count.fetch_add(1)) + "." + Kind))
      .string();
}

void WriteAll(TFileStream& File, const std::string& Output, const void* Data, size_t Size, size_t& Written) {
  const auto* Bytes = static_cast<const uint8_t*>(Data);
  size_t Done = 0;
  while (Done < Size) {
    const int32_t Block = int32_t(std::min(Size - Done, WriteBlock));
    const int32_t Put = File.Write(Bytes + Done, Block);
    Done += size_t(Put);
    Written += size_t(Put);
    if (Put < Block)
      throw EOutputFile("Cannot write all of " + Output + " (" + std::to_string(Written) + " of " +
                        std::to_string(Written - Done + Size) + " bytes)");
  }
}

}  // namespace

namespace {

// The same file on disk however it is reached (a link of either kind, a
// name with "." or ".."); a file that does not exist can still be named by
// the very same path.
bool SameFile(const std::string& Output, const std::string& Input) {
  struct stat Out, In;
  if (::stat(Output.c_str(), &Out) == 0 && ::stat(Input.c_str(), &In) == 0 && Out.st_dev == In.st_dev &&
      Out.st_ino == In.st_ino)
    return true;
  std::error_code Error;
  const fs::path A = fs::absolute(Output, Error).lexically_normal();
  const fs::path B = fs::absolute(Input, Error).lexically_normal();
  return !Error && A == B;
}

}  // namespace

void CheckNotModelFile(const std::string& Output, const std::string& ModelFile) {
  if (SameFile(Output, ModelFile)) throw EOutputFile(Output + " is the model file itself; choose another name");
}

void CheckNotInputFile(const std::string& Output, const std::string& Input) {
  if (SameFile(Output, Input)) throw EOutputFile(Output + " is a file this command reads; choose another name");
}

struct TOutputFiles::TEntry {
  std::string Output;     // the user's name, in every message
  std::string Final;      // the file replaced in the end
  std::string Temporary;  // empty until created
  std::unique_ptr<TFileStream> File;
  size_t Written = 0;
  bool Finished = false;
};

TOutputFiles::TOutputFiles(const std::vector<std::string>& Outputs, const std::string& ModelFile) {
  std::vector<TReached> Reached;
  for (const std::string& Output : Outputs) {
    if (!ModelFile.empty()) CheckNotModelFile(Output, ModelFile);
    RequireRegularFile(Output, TFileMode::Create);
    auto Entry = std::make_unique<TEntry>();
    Entry->Output = Output;
    Entry->Final = FinalName(Output);
    // One file written twice would end holding one of the two, and the set
    // would claim both.
    Reached.emplace_back(Entry->Final);
    for (size_t I = 0; I + 1 < Reached.size(); ++I)
      if (Reached[I] == Reached.back())
        throw EOutputFile(FEntries[I]->Output + " and " + Output +
                          " are the same file; give each output a name of its own");
    FEntries.push_back(std::move(Entry));
  }
}

TOutputFiles::~TOutputFiles() {
  for (const auto& Entry : FEntries) {
    Entry->File.reset();
    if (!Entry->Temporary.empty()) DeleteFile(Entry->Temporary);
  }
}

TOutputFiles::TEntry& TOutputFiles::Find(const std::string& Output) {
  for (const auto& Entry : FEntries)
    if (Entry->Output == Output) return *Entry;
  throw EOutputFile(Output + " is not among the files this command writes");
}

void TOutputFiles::Append(const std::string& Output, const void* Data, size_t Size) {
  TEntry& Entry = Find(Output);
  if (Entry.Finished) throw EOutputFile(Output + " is already written");
  if (!Entry.File) {
    // A name a stale file of a crashed run still holds is passed over.
    for (int Attempt = 0; !Entry.File; ++Attempt) {
      const std::string Name = TemporaryName(Entry.Final);
      try {
        Entry.File = std::make_unique<TFileStream>(Name, TFileMode::CreateNew, Output);
      } catch (const EFCreateError&) {
        struct stat Info;
        if (Attempt >= 8 || ::lstat(Name.c_str(), &Info) != 0) throw;
        continue;
      }
      Entry.Temporary = Name;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat Old;
    if (::stat(Entry.Final.c_str(), &Old) == 0 && ::chmod(Entry.Temporary.c_str(), Old.st_mode & 07777) != 0)
      throw EOutputFile("Cannot create file " + Output + ": " + std::strerror(errno));
  }
  WriteAll(*Entry.File, Output, Data, Size, Entry.Written);
}

void TOutputFiles::Finish(const std::string& Output) {
  TEntry& Entry = Find(Output);
  if (!Entry.File) Append(Output, nullptr, 0);  // an empty output is still a file
  Entry.File->Flush();
  Entry.File.reset();
  Entry.Finished = true;
}

void TOutputFiles::Write(const std::string& Output, const void* Data, size_t Size) {
  Append(Output, Data, Size);
  Finish(Output);
}

void TOutputFiles::Commit() {
  for (const auto& Entry : FEntries)
    if (!Entry->Finished) throw EOutputFile(Entry->Output + " was not written");
  // Each old file keeps a second, hidden name until every new one is in
  // place, so a rename that fails midway can put the old ones back: the set
  // takes effect whole or not at all.
  struct TStep {
    TEntry* Entry;
    std::string Old;     // the old file's hidden name; empty when there was none
    bool Moved = false;  // the old file left its name (no second name possible)
  };
  std::vector<TStep> Steps;
  auto Failed = [](const TEntry& Entry) {
    return EOutputFile("Cannot put " + Entry.Output + " in place: " + std::strerror(errno));
  };
  // Undoes the steps; says which old files could not get their names back.
  auto Undo = [&Steps] {
    std::string Kept;
    for (auto Step = Steps.rbegin(); Step != Steps.rend(); ++Step) {
      const bool Placed = Step->Entry->Temporary.empty();
      if (Step->Old.empty()) {
        if (Placed) DeleteFile(Step->Entry->Final);
      } else if (Placed || Step->Moved) {
        if (!RenameFile(Step->Old, Step->Entry->Final))
          Kept += "; the old " + Step->Entry->Output + " is kept as " + Step->Old;
      } else {
        DeleteFile(Step->Old);  // a second name of the file still in place
      }
    }
    return Kept;
  };
  try {
    for (const auto& Entry : FEntries) {
      TStep& Step = Steps.emplace_back(TStep{Entry.get(), "", false});
      struct stat Info;
      if (::lstat(Entry->Final.c_str(), &Info) == 0) {  // a link that leads nowhere is kept too
        Step.Old = TemporaryName(Entry->Final, "old");
        if (!LinkFile(Entry->Final, Step.Old)) {
          Step.Moved = true;
          if (!RenameFile(Entry->Final, Step.Old)) {
            Step.Old.clear();
            throw Failed(*Entry);
          }
        }
      }
      if (!RenameFile(Entry->Temporary, Entry->Final)) throw Failed(*Entry);
      Entry->Temporary.clear();
    }
  } catch (const EOutputFile& E) {
    const std::string Kept = Undo();
    if (Kept.empty()) throw;
    throw EOutputFile(E.Message() + Kept);
  } catch (...) {
    Undo();
    throw;
  }
  for (const TStep& Step : Steps)
    if (!Step.Old.empty()) DeleteFile(Step.Old);
}

TOutputBuffer::TOutputBuffer(TOutputFiles& Files, std::string Output)
    : FFiles(Files), FOutput(std::move(Output)), FBlock(size_t(1) << 20) {
  setp(FBlock.data(), FBlock.data() + FBlock.size());
}

bool TOutputBuffer::Put(const char* Data, size_t Count) {
  if (FError) return false;
  try {
    FFiles.Append(FOutput, Data, Count);
  } catch (...) {
    FError = std::current_exception();  // raised again by Close, its class kept
    return false;
  }
  return true;
}

int TOutputBuffer::sync() {
  const bool Done = Put(pbase(), size_t(pptr() - pbase()));
  setp(FBlock.data(), FBlock.data() + FBlock.size());
  return Done ? 0 : -1;
}

TOutputBuffer::int_type TOutputBuffer::overflow(int_type C) {
  if (sync() != 0) return traits_type::eof();
  if (!traits_type::eq_int_type(C, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(C);
    pbump(1);
  }
  return traits_type::not_eof(C);
}

std::streamsize TOutputBuffer::xsputn(const char* Data, std::streamsize Count) {
  // Large pieces go straight to the file, past the block.
  if (size_t(Count) > FBlock.size()) {
    if (sync() != 0 || !Put(Data, size_t(Count))) return 0;
    return Count;
  }
  return std::streambuf::xsputn(Data, Count);
}

void TOutputBuffer::Close() {
  sync();
  if (FError) std::rethrow_exception(FError);
  FFiles.Finish(FOutput);
}

TNewFolders::TNewFolders(const std::string& Folder) {
  // Made one name at a time from the top, so that every folder made is
  // known, whatever "." or ".." the name holds.
  fs::path At;
  for (const fs::path& Part : fs::path(Folder)) {
    At /= Part;
    if (Part.empty()) continue;  // the end of a name ending in "/"
    std::error_code Error;
    if (fs::create_directory(At, Error)) {
      FMade.push_back(At.string());
    } else if (Error) {
      RemoveMade();
      throw EOutputFile("Cannot create the folder " + Folder + " (" + Error.message() + ")");
    }
  }
}

TNewFolders::~TNewFolders() { RemoveMade(); }

void TNewFolders::RemoveMade() {
  // rmdir leaves a folder something else has put a file in meanwhile.
  for (auto Made = FMade.rbegin(); Made != FMade.rend(); ++Made) ::rmdir(Made->c_str());
  FMade.clear();
}

void WriteOutputFile(const std::string& Output, const void* Data, size_t Size, const std::string& ModelFile) {
  TOutputFiles Files({Output}, ModelFile);
  Files.Write(Output, Data, Size);
  Files.Commit();
}

void WriteFileInPlace(const std::string& Output, const void* Data, size_t Size, const std::string& ModelFile) {
  CheckNotModelFile(Output, ModelFile);
  TFileStream File(Output, TFileMode::OpenOrCreate);
  try {
    size_t Written = 0;
    WriteAll(File, Output, Data, Size, Written);
    File.Truncate(int64_t(Size));  // what an older, longer file held past the end goes
    File.Flush();
  } catch (...) {
    // No part of a picture is left for the reader: an empty file says
    // "no picture" to every consumer.
    try {
      File.Truncate(0);
    } catch (const Exception&) {
      // The write's error is the one to report.
    }
    throw;
  }
}
