#pragma once
// The files the program makes (pictures, exports), written through the file
// layer so that each is complete or absent. An output is written whole under
// a temporary name in its own folder, pushed to the disk, and only then
// renamed over its name: a reader of that name sees the old file or the new
// one, never a part. The outputs of one command are all checked before the
// first is written, and put in place together once every one is written. A
// failure removes what was started and leaves the old files as they were.
// Messages name the user's file, never the temporary one.
#include <cstddef>
#include <exception>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "runtime/Exception.h"

class TFileStream;

QUELBIR_EXCEPTION(EOutputFile);

// The model file is never an output: raises EOutputFile
// (Output + " is the model file itself; choose another name") when Output
// names ModelFile by the same path, through a symbolic link, or as another
// name (hard link) of the same file on disk.
void CheckNotModelFile(const std::string& Output, const std::string& ModelFile);
// The same for any other file a command reads (a picture, a material
// library): EOutputFile (Output + " is a file this command reads; choose
// another name").
void CheckNotInputFile(const std::string& Output, const std::string& Input);

class TOutputFiles {
public:
  // Checks every output before anything is written: none is ModelFile
  // (CheckNotModelFile; an empty ModelFile skips that), none names a folder
  // (the file layer's "Cannot create file"), a pipe or a device (its
  // ENotRegularFile), and no two reach the same file, however they are
  // spelled ("./", "..", a symbolic or a hard link): EOutputFile (First +
  // " and " + Second + " are the same file; give each output a name of its
  // own"). An output that is a symbolic link, or a chain of them, keeps its
  // links: the file at the chain's end is replaced, or made when it does not
  // exist yet; a chain that loops raises EOutputFile ("Cannot create file " +
  // Output + ": Too many levels of symbolic links").
  explicit TOutputFiles(const std::vector<std::string>& Outputs, const std::string& ModelFile = "");
  ~TOutputFiles();  // removes every temporary file not put in place
  TOutputFiles(const TOutputFiles&) = delete;
  TOutputFiles& operator=(const TOutputFiles&) = delete;

  // Appends Size bytes to Output (one of the checked names), creating its
  // temporary file at the first call. A disk that takes only part raises
  // EOutputFile ("Cannot write all of " + Output + " (n of m bytes)"); the
  // file layer's errors name Output.
  void Append(const std::string& Output, const void* Data, size_t Size);
  // Ends Output: pushed to the disk (fsync) and closed.
  void Finish(const std::string& Output);
  // Append and Finish in one, for an output held whole in memory.
  void Write(const std::string& Output, const void* Data, size_t Size);
  void Write(const std::string& Output, const std::string& Text) { Write(Output, Text.data(), Text.size()); }

  // Puts every output in place, all of them or none: should one rename
  // fail, the outputs already put in place get their old files back (or go,
  // where there was none) and EOutputFile ("Cannot put " + Output +
  // " in place: " + the system's reason) is raised. Every output must have
  // been finished; one that was not raises before any rename.
  void Commit();

private:
  struct TEntry;
  TEntry& Find(const std::string& Output);
  std::vector<std::unique_ptr<TEntry>> FEntries;
};

// A stream onto one output of a set, for writers that produce through an
// ostream: bytes go to the file in large blocks. A failure makes the stream
// go bad; Close raises it (of its own class), or finishes the output.
class TOutputBuffer : public std::streambuf {
public:
  TOutputBuffer(TOutputFiles& Files, std::string Output);
  void Close();

protected:
  int_type overflow(int_type C) override;
  std::streamsize xsputn(const char* Data, std::streamsize Count) override;
  int sync() override;

private:
  bool Put(const char* Data, size_t Count);
  TOutputFiles& FFiles;
  std::string FOutput;
  std::vector<char> FBlock;
  std::exception_ptr FError;
};

// The folders a command makes for its outputs: the missing ones of Folder
// are made at once, and removed again (deepest first, each only while it is
// empty) unless Keep is called, so that a command that writes nothing
// leaves nothing behind. A folder that cannot be made raises EOutputFile
// ("Cannot create the folder " + Folder + " (" + the system's reason + ")").
class TNewFolders {
public:
  explicit TNewFolders(const std::string& Folder);
  ~TNewFolders();
  TNewFolders(const TNewFolders&) = delete;
  TNewFolders& operator=(const TNewFolders&) = delete;
  void Keep() { FMade.clear(); }

private:
  void RemoveMade();
  std::vector<std::string> FMade;  // in the order made
};

// A single output, complete or absent: Write on a set of one.
void WriteOutputFile(const std::string& Output, const void* Data, size_t Size, const std::string& ModelFile = "");

// Writes Data into the file named Output itself (created when missing),
// keeping the same file on disk: for a caller that opened the file before
// and reads it back through its own descriptor (file managers' thumbnail
// services do). The file ends holding exactly Data, pushed to the disk; on a
// failure it is emptied and the error raised. Output must not be ModelFile
// (CheckNotModelFile) nor a folder, pipe or device.
void WriteFileInPlace(const std::string& Output, const void* Data, size_t Size, const std::string& ModelFile);
