#include "check/CheckCodes.h"

namespace {

using enum TCheckCodeId;

// One row a line, as the README's table has them.
// clang-format off
constexpr std::array<TCheckCode, CheckCodeCount> Codes = {{
    {IffUnreadable, "IFF_UNREADABLE", TSeverity::Error, "the reader refuses the file; the message is the reader's"},
    {TrailingBytes, "TRAILING_BYTES", TSeverity::Warning, "bytes after the top form that the reader ignores"},
    {FileTruncated, "FILE_TRUNCATED", TSeverity::Error, "the file ends before the end its top form declares"},
    {MeshMissing, "MESH_MISSING", TSeverity::Error, "no mesh form where the loader looks for one; the loader's message"},
    {MeshChunkMissing, "MESH_CHUNK_MISSING", TSeverity::Error, "a level lacks \"VERT\", \"VTNM\", \"FVRT\" or \"FACE\"; the loader's message"},
    {MeshUnreadable, "MESH_UNREADABLE", TSeverity::Error, "the loader cannot read a mesh chunk (its records run past the end of the file) or refuses its faces (they share corners beyond the room of the mesh); the loader's message"},
    {PartialRecord, "PARTIAL_RECORD", TSeverity::Warning, "a mesh chunk whose size is not a multiple of its record size"},
    {IndexOutOfRange, "INDEX_OUT_OF_RANGE", TSeverity::Error, "a face's normal, face-vertex run or a corner's vertex lies outside its array (at most 20 per chunk, then a count)"},
    {DegenerateFace, "DEGENERATE_FACE", TSeverity::Warning, "a face of fewer than 3 corners, or whose corners all lie on one line"},
    {NonfiniteValue, "NONFINITE_VALUE", TSeverity::Error, "NaN or infinity in a vertex, a normal, a hardpoint matrix or the sphere"},
    {UnnormalisedNormal, "UNNORMALISED_NORMAL", TSeverity::Warning, "a normal whose length differs from 1 by more than 1e-3"},
    {LodEmpty, "LOD_EMPTY", TSeverity::Warning, "a level with no faces"},
    {LodUnreachable, "LOD_UNREACHABLE", TSeverity::Warning, "a level form the loader never loads: its name is not one of 0000 up to the number of levels less one, or repeats one"},
    {HardFormIgnored, "HARD_FORM_IGNORED", TSeverity::Warning, "a FORM \"HARD\" other than the one the loader reads (the top form's second sub-form)"},
    {HardpointUnreadable, "HARDPOINT_UNREADABLE", TSeverity::Error, "a hardpoint chunk the loader cannot read (too short, name without end)"},
    {HardpointNotRigid, "HARDPOINT_NOT_RIGID", TSeverity::Warning, "a hardpoint whose axes are not unit length and perpendicular within 1e-3"},
    {HardpointDuplicateName, "HARDPOINT_DUPLICATE_NAME", TSeverity::Warning, "a hardpoint with the name of an earlier one"},
    {SphereMissing, "SPHERE_MISSING", TSeverity::Warning, "no FORM \"COLL\" in the top form, or no chunk \"SPHR\" in it"},
    {SphereUnreadable, "SPHERE_UNREADABLE", TSeverity::Error, "a \"SPHR\" chunk shorter than 16 bytes, or cut short by the end of the file"},
    {SphereNotEnclosing, "SPHERE_NOT_ENCLOSING", TSeverity::Warning, "a vertex used by a face lies outside the collision sphere as the editor draws it by more than 1e-4 of its radius; the message says how far"},
    {FolderUnreadable, "FOLDER_UNREADABLE", TSeverity::Error, "a folder that cannot be listed, or an entry of one whose status cannot be read; what it holds is not examined"},
    {CheckLimited, "CHECK_LIMITED", TSeverity::Info, "faces left out of the degeneracy test because their corner runs overlap beyond a work bound (forged files)"},
}};
// clang-format on

// A row out of place would give a finding another kind's code.
constexpr bool EveryRowInItsPlace() {
  for (size_t I = 0; I < Codes.size(); ++I)
    if (size_t(Codes[I].Id) != I) return false;
  return true;
}
static_assert(EveryRowInItsPlace(), "the rows of the check's codes follow TCheckCodeId");

}  // namespace

const char* SeverityName(TSeverity Severity) {
  switch (Severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Info: return "info";
  }
  return "error";
}

const std::array<TCheckCode, CheckCodeCount>& CheckCodes() { return Codes; }

const TCheckCode& CheckCode(TCheckCodeId Id) { return Codes[size_t(Id)]; }
