// The program's output files: never the model file, complete or absent,
// the old files kept on any failure, and what is not a regular file refused
// before it is opened.
#include "runtime/OutputFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "tests/iff/IffBytes.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Entries(const TempDir& Dir) {
  std::vector<std::string> Names;
  for (const auto& Entry : fs::directory_iterator(Dir.Path())) Names.push_back(Entry.path().filename().string());
  std::sort(Names.begin(), Names.end());
  return Names;
}

TEST(OutputFiles, TheModelFileIsNoOutputByPathLinkOrSameFile) {
  TempDir Dir;
  const std::string Model = Dir.File("m.iff");
  WriteFileBytes(Model, {1, 2, 3});
  fs::create_symlink(Model, Dir.File("soft.png"));
  fs::create_hard_link(Model, Dir.File("hard.png"));
  WriteFileBytes(Dir.File("other.png"), {9});
  for (const std::string& Out : {Model, Dir.File("./m.iff"), Dir.File("soft.png"), Dir.File("hard.png")}) {
    SCOPED_TRACE(Out);
    EXPECT_EQ(MessageOf([&] { WriteOutputFile(Out, "png", 3, Model); }),
              Out + " is the model file itself; choose another name");
    EXPECT_EQ(MessageOf([&] { WriteFileInPlace(Out, "png", 3, Model); }),
              Out + " is the model file itself; choose another name");
  }
  EXPECT_EQ(ReadFileBytes(Model), (TBytes{1, 2, 3}));
  WriteOutputFile(Dir.File("other.png"), "png", 3, Model);
  EXPECT_EQ(ReadFileBytes(Dir.File("other.png")), Text("png"));
}

// A disk that fills up (or will not flush) in the middle of the second of
// three outputs: every old file stays as it was and no temporary is left.
TEST(OutputFiles, AFailureKeepsEveryOldFileAndLeavesNoPart) {
  static int Budget;
  struct TCase {
    const char* Fault;
    TFileCalls Calls;
    std::string Message;  // after the file's name
  };
  const TFileCalls Real = FileCalls();
  TFileCalls Full = Real, Refusing = Real, Unflushed = Real;
  Full.pwrite = [](int Handle, const void* Buffer, unsigned long Count, long Offset) -> long {
    if (Budget <= 0) return 0;
    const long Put = ::pwrite(Handle, Buffer, std::min<unsigned long>(Count, unsigned(Budget)), Offset);
    Budget -= int(Put);
    return Put;
  };
  Refusing.pwrite = [](int Handle, const void* Buffer, unsigned long Count, long Offset) -> long {
    if (Budget < int(Count)) {
      errno = ENOSPC;
      return -1;
    }
    Budget -= int(Count);
    return ::pwrite(Handle, Buffer, Count, Offset);
  };
  Unflushed.fsync = [](int) -> int {
    errno = EIO;
    return -1;
  };
  TempDir Dir;
  const std::vector<std::string> Outs{Dir.File("a.gltf"), Dir.File("a.bin"), Dir.File("x.png")};
  for (const std::string& Out : Outs) WriteFileBytes(Out, Text("old " + Out));
  for (const TCase& C :
       {TCase{"full", Full, " (7 of 8 bytes)"}, TCase{"refusing", Refusing, ": No space left on device"},
        TCase{"unflushed", Unflushed, ": Input/output error"}}) {
    SCOPED_TRACE(C.Fault);
    TFileCallsGuard Guard;
    FileCalls() = C.Calls;
    Budget = 4 + 7;
    const std::string Message = MessageOf([&] {
      TOutputFiles Files(Outs);
      Files.Write(Outs[0], "new!", 4);
      Files.Write(Outs[1], "new data", 8);
      Files.Write(Outs[2], "new", 3);
      Files.Commit();
    });
    const std::string Expected = C.Fault == std::string("full")       ? "Cannot write all of " + Outs[1] + C.Message
                                 : C.Fault == std::string("refusing") ? "Cannot write file " + Outs[1] + C.Message
                                                                      : "Cannot flush file " + Outs[0] + C.Message;
    EXPECT_EQ(Message, Expected);
    for (const std::string& Out : Outs) EXPECT_EQ(ReadFileBytes(Out), Text("old " + Out));
    EXPECT_EQ(Entries(Dir), (std::vector<std::string>{"a.bin", "a.gltf", "x.png"}));
  }
  // Whole, they replace the old files, keeping their permissions and links.
  ::chmod(Outs[2].c_str(), 0600);
  fs::create_symlink(Outs[1], Dir.File("link.bin"));
  TOutputFiles Files({Outs[2], Dir.File("link.bin")});
  Files.Write(Outs[2], "new", 3);
  Files.Write(Dir.File("link.bin"), "linked", 6);
  Files.Commit();
  EXPECT_EQ(ReadFileBytes(Outs[2]), Text("new"));
  EXPECT_EQ(fs::status(Outs[2]).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(fs::is_symlink(Dir.File("link.bin")));
  EXPECT_EQ(ReadFileBytes(Outs[1]), Text("linked"));
}

// A rename that fails midway through putting the set in place: the outputs
// already in place get their old files back, one that had none goes.
TEST(OutputFiles, ASetTakesEffectWholeOrNotAtAll) {
  static std::string Refused;  // the name the new file's rename fails to take
  static bool NoLinks;         // a file system that keeps one name per file
  TempDir Dir;
  const std::vector<std::string> Outs{Dir.File("a.gltf"), Dir.File("a.bin"), Dir.File("new.png")};
  for (size_t I = 0; I < 2; ++I) WriteFileBytes(Outs[I], Text("old " + Outs[I]));
  for (const std::string& Fails : Outs)
    for (bool Links : {true, false}) {
      SCOPED_TRACE(Fails + (Links ? "" : ", no links"));
      TFileCallsGuard Guard;
      Refused = Fails;
      NoLinks = !Links;
      FileCalls().rename = [](const char* From, const char* To) -> int {
        if (To == Refused && std::string(From).ends_with(".part")) {
          errno = EACCES;
          return -1;
        }
        return ::rename(From, To);
      };
      FileCalls().link = [](const char* From, const char* To) -> int {
        if (NoLinks) {
          errno = EPERM;
          return -1;
        }
        return ::link(From, To);
      };
      const std::string Message = MessageOf([&] {
        TOutputFiles Files(Outs);
        for (const std::string& Out : Outs) Files.Write(Out, "new", 3);
        Files.Commit();
      });
      EXPECT_EQ(Message, "Cannot put " + Fails + " in place: Permission denied");
      for (size_t I = 0; I < 2; ++I) EXPECT_EQ(ReadFileBytes(Outs[I]), Text("old " + Outs[I]));
      EXPECT_EQ(Entries(Dir), (std::vector<std::string>{"a.bin", "a.gltf"}));
    }
}

// Two names of one command that reach one file, however spelled or linked,
// are refused before anything is written, naming both.
TEST(OutputFiles, TwoOutputsThatReachOneFileAreRefused) {
  TempDir Dir;
  fs::create_directory(Dir.File("sd"));
  WriteFileBytes(Dir.File("00000001.png"), Text("old"));
  fs::create_symlink("00000001.png", Dir.File("to-png.gltf"));
  fs::create_symlink("out.gltf", Dir.File("to-gltf.bin"));  // leads to a file not made yet
  fs::create_symlink("to-gltf.bin", Dir.File("chain.bin"));
  fs::create_hard_link(Dir.File("00000001.png"), Dir.File("hard.png"));
  fs::create_directory_symlink("sd", Dir.File("sdlink"));
  const std::vector<std::string> Before = Entries(Dir);
  const std::pair<std::string, std::string> Pairs[] = {
      {"sd/x.mat", "sd/x.mat"},        {"./sd/x.mat", "sd/x.mat"},     {"sd/../sd/x.mat", "sd/x.mat"},
      {"to-png.gltf", "00000001.png"}, {"out.gltf", "to-gltf.bin"},    {"chain.bin", "out.gltf"},
      {"hard.png", "00000001.png"},    {"sdlink/x.mat", "sd/./x.mat"},
  };
  for (const auto& [First, Second] : Pairs) {
    SCOPED_TRACE(First + ", " + Second);
    const std::vector<std::string> Outs{Dir.File(First), Dir.File("other.png"), Dir.File(Second)};
    EXPECT_EQ(MessageOf([&] { TOutputFiles Files(Outs); }),
              Outs[0] + " and " + Outs[2] + " are the same file; give each output a name of its own");
  }
  EXPECT_EQ(Entries(Dir), Before);
  EXPECT_EQ(ReadFileBytes(Dir.File("00000001.png")), Text("old"));
  // Names alike in part only are files of their own.
  TOutputFiles Files({Dir.File("sd/x.mat"), Dir.File("sd/x.mat.png"), Dir.File("x.mat")});
}

// A symbolic link, or a chain of them, stays: the file at its end is
// replaced, or made when it is not there yet; a loop is refused.
TEST(OutputFiles, AnOutputKeepsItsLinksThoughTheirFileIsNotMadeYet) {
  TempDir Dir;
  fs::create_directory(Dir.File("sub"));
  fs::create_symlink("target.png", Dir.File("link.png"));
  fs::create_symlink("../link.png", Dir.File("sub/chain.png"));
  fs::create_symlink(Dir.File("absent.png"), Dir.File("absolute.png"));
  for (const char* Link : {"link.png", "sub/chain.png", "absolute.png"}) {
    SCOPED_TRACE(Link);
    WriteOutputFile(Dir.File(Link), Link, std::strlen(Link));
    EXPECT_TRUE(fs::is_symlink(Dir.File(Link)));
    EXPECT_EQ(ReadFileBytes(Dir.File(Link)), Text(Link));
  }
  EXPECT_EQ(ReadFileBytes(Dir.File("target.png")), Text("sub/chain.png"));
  EXPECT_EQ(ReadFileBytes(Dir.File("absent.png")), Text("absolute.png"));
  fs::create_symlink("loop-b", Dir.File("loop-a"));
  fs::create_symlink("loop-a", Dir.File("loop-b"));
  EXPECT_EQ(MessageOf([&] { WriteOutputFile(Dir.File("loop-a"), "x", 1); }),
            "Cannot create file " + Dir.File("loop-a") + ": Too many levels of symbolic links");
}

// The folders made for a command's outputs go again unless kept: only those
// it made, and only while nothing else was put in them.
TEST(OutputFiles, NewFoldersGoUnlessKept) {
  TempDir Dir;
  fs::create_directory(Dir.File("a"));
  { TNewFolders Made(Dir.File("a/b/../c/d/")); }
  EXPECT_EQ(Entries(Dir), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(fs::is_empty(Dir.File("a")));
  {
    TNewFolders Made(Dir.File("a/b/c"));
    WriteFileBytes(Dir.File("a/b/kept.txt"), {1});
  }
  EXPECT_TRUE(fs::exists(Dir.File("a/b/kept.txt")));
  EXPECT_FALSE(fs::exists(Dir.File("a/b/c")));
  {
    TNewFolders Made(Dir.File("x/y"));
    Made.Keep();
  }
  EXPECT_TRUE(fs::is_directory(Dir.File("x/y")));
  WriteFileBytes(Dir.File("file"), {1});
  EXPECT_EQ(MessageOf([&] { TNewFolders Made(Dir.File("n/../file/m")); }),
            "Cannot create the folder " + Dir.File("n/../file/m") + " (File exists)");
  EXPECT_FALSE(fs::exists(Dir.File("n")));
}

// A stream's failure reaches its caller as the class the file layer raised.
TEST(OutputFiles, AStreamRaisesTheFailureOfItsOwnClass) {
  TempDir Dir;
  TFileCallsGuard Guard;
  FileCalls().pwrite = [](int, const void*, unsigned long, long) -> long {
    errno = ENOSPC;
    return -1;
  };
  TOutputFiles Files({Dir.File("a.gltf")});
  TOutputBuffer Buffer(Files, Dir.File("a.gltf"));
  std::ostream Stream(&Buffer);
  Stream << "text";
  EXPECT_EQ(MessageOf<EInOutError>([&] { Buffer.Close(); }),
            "Cannot write file " + Dir.File("a.gltf") + ": No space left on device");
}

// A pipe or a device is refused at once, by readers and writers alike (a
// pipe would otherwise block its opener for ever); a folder as an open or a
// create refuses it.
TEST(OutputFiles, WhatIsNotARegularFileIsRefusedBeforeItIsOpened) {
  ::alarm(20);  // a blocked open ends the test instead of hanging it
  TempDir Dir;
  const std::string Fifo = Dir.File("f.iff");
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  WriteFileBytes(Dir.File("keep.bin"), {7});
  for (const std::string& Name : {Fifo, Dir.Path().string(), std::string("/dev/null")}) {
    SCOPED_TRACE(Name);
    const bool Folder = Name == Dir.Path().string();
    const std::string Open = Folder ? "Cannot open file " + Name : Name + " is not a regular file";
    const std::string Create = Folder ? "Cannot create file " + Name : Name + " is not a regular file";
    for (TFileMode Mode : {TFileMode::OpenRead, TFileMode::OpenReadWrite})
      EXPECT_EQ(MessageOf([&] { TFileStream Stream(Name, Mode); }), Open);
    EXPECT_EQ(MessageOf([&] { TFileStream Stream(Name, TFileMode::Create); }), Create);
    EXPECT_EQ(MessageOf([&] { WriteFileInPlace(Name, "x", 1, Dir.File("m.iff")); }), Create);
    // Checked before any output of the set is written.
    EXPECT_EQ(MessageOf([&] { TOutputFiles Files({Dir.File("keep.bin"), Name}); }), Create);
  }
  EXPECT_EQ(ReadFileBytes(Dir.File("keep.bin")), (TBytes{7}));
  EXPECT_EQ(Entries(Dir), (std::vector<std::string>{"f.iff", "keep.bin"}));
  ::alarm(0);
}

// The same file on disk, as a reader that opened it before sees it.
TEST(OutputFiles, InPlaceWritesReachTheOpenFileAndAFailureEmptiesIt) {
  TempDir Dir;
  const std::string Out = Dir.File("thumb.png");
  WriteFileBytes(Out, Text("an older and longer content"));
  const int Held = ::open(Out.c_str(), O_RDONLY);
  ASSERT_GE(Held, 0);
  WriteFileInPlace(Out, "picture", 7, Dir.File("m.iff"));
  char Seen[64] = {};
  EXPECT_EQ(::pread(Held, Seen, sizeof Seen, 0), 7);
  EXPECT_EQ(std::string(Seen, 7), "picture");

  TFileCallsGuard Guard;
  FileCalls().pwrite = [](int Handle, const void* Buffer, unsigned long, long Offset) -> long {
    return Offset < 3 ? ::pwrite(Handle, Buffer, 1, Offset) : 0;
  };
  EXPECT_EQ(MessageOf([&] { WriteFileInPlace(Out, "picture", 7, Dir.File("m.iff")); }),
            "Cannot write all of " + Out + " (3 of 7 bytes)");
  EXPECT_EQ(::pread(Held, Seen, sizeof Seen, 0), 0);
  ::close(Held);
}

}  // namespace
