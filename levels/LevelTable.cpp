#include "levels/LevelTable.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Percent(float Share) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.2f%%", double(Share) * 100);
  return Text;
}

std::string Padded(const std::string& Text, size_t Width) {
  return std::string(Width > Text.size() ? Width - Text.size() : 0, ' ') + Text;
}

}  // namespace

std::string LevelTable(int64_t FinestFaces, const std::vector<TMadeLevel>& Made) {
  struct TRow {
    std::string Level, Faces, Target, Error, Note;
  };
  std::vector<TRow> Rows{{"level", "faces", "target", "error", ""},
                         {"0000", std::to_string(FinestFaces), "-", "-", ""}};
  for (size_t I = 0; I < Made.size(); ++I) {
    char Tag[16];
    std::snprintf(Tag, sizeof Tag, "%04u", unsigned(I + 1));
    const TMadeLevel& Level = Made[I];
    Rows.push_back({Tag, std::to_string(Level.Mesh.Faces.size()), std::to_string(Level.Target), Percent(Level.Error),
                    Level.Short() ? "stopped short: the borders, texture seams and silhouette keep more faces" : ""});
  }
  size_t Widths[4] = {0, 0, 0, 0};
  for (const TRow& Row : Rows) {
    Widths[0] = std::max(Widths[0], Row.Level.size());
    Widths[1] = std::max(Widths[1], Row.Faces.size());
    Widths[2] = std::max(Widths[2], Row.Target.size());
    Widths[3] = std::max(Widths[3], Row.Error.size());
  }
  std::string Table;
  for (const TRow& Row : Rows) {
    std::string Line = Row.Level + std::string(Widths[0] - Row.Level.size(), ' ') + "  " +
                       Padded(Row.Faces, Widths[1]) + "  " + Padded(Row.Target, Widths[2]) + "  " +
                       Padded(Row.Error, Widths[3]);
    if (!Row.Note.empty()) Line += "  " + Row.Note;
    Table += Line + "\n";
  }
  return Table;
}
