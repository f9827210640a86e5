#pragma once
// The collision sphere of a model file: the chunk SPHR of the form COLL
// directly inside the top form, sixteen bytes (centre X, Y, Z and the
// "Diameter:" value, little-endian 32-bit floats), and whether COLL holds a
// form EXTN ("tree present"). These sixteen bytes are the only bytes the
// editor ever changes in a model file.
#include <string>

#include "runtime/Exception.h"
#include "runtime/FileLayer.h"

// Failures of the sphere's own checks (a file that ends inside the chunk, a
// write the file takes only in part). The reader's and the file layer's
// errors pass through unchanged.
QUELBIR_EXCEPTION(ESphereFile);

// Reads the sphere of FileName into the caller's fields, in the order the
// window fills them, so that a failure leaves exactly the finished steps
// done: the centre (first 12 bytes), then the diameter (next 4), then
// TreePresent. A SPHR of 12 to 14 bytes therefore has its centre read before
// "TIffReader: Read beyond end of chunk!" stops the rest. The values are
// copied as raw bytes, so every bit pattern (NaN, -0, denormals) is kept.
//
// The window opens the file for reading and writing, as every reader does, so
// a read-only file fails with "Cannot open file <name>"; inspecting callers
// that never write may pass ReadOnly = true.
void ReadSphere(const std::string& FileName, float (&Center)[3], float& Diameter, bool& TreePresent,
                bool ReadOnly = false);

// "&Save": overwrites bytes 0..15 of the SPHR chunk's data with Center and
// Diameter, in place, and pushes them to the disk before returning; the file's
// length and every other byte stay as they were. The sixteen bytes go out in
// one write, so a chunk too short for them ("TIffReader: Write beyond end of
// chunk!") is refused before anything is written. When the write fails
// (refused, or taken only in part) the previous sixteen bytes are put back
// and the write's error is raised; should they not go back either, ESphereFile
// says so, after the write's message. A flush the system refuses raises the
// file layer's error (the file then holds the new bytes). Nothing is ever
// reported as saved that did not reach the file.
//
// Fitted, when given, is the identity the file had when the values were
// worked out from it: a file replaced or changed since (another file on
// disk, another size or time of change) is refused with ESphereFile before
// anything is written, so a sphere never lands in a file it was not made for.
void WriteSphere(const std::string& FileName, const float (&Center)[3], float Diameter,
                 const TFileIdentity* Fitted = nullptr);
