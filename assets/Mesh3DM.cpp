#include "assets/Mesh3DM.h"

#include <limits>

#include "assets/ResourceReader.h"
#include "core/Diagnostics.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

void Raise3DMPosition(int position, int base, int count) {
  RaiseError("T3DMList", "Items",
             "position " + std::to_string(position) + " is outside " + std::to_string(base) + ".." +
                 std::to_string(base + count - 1));
}

// T3DMVertexFrameList -------------------------------------------------------------

T3DMVertexList& T3DMVertexFrameList::Frames(int index) const {
  if (index < 0 || index >= Count())
    RaiseError("T3DMVertexFrameList", "Frames", "List index out of bounds (" + std::to_string(index) + ")");
  return *frames_[static_cast<std::size_t>(index)];
}

void T3DMVertexFrameList::SetCount(int count) {
  if (count < 0) RaiseError("T3DMVertexFrameList", "SetCount", "negative count " + std::to_string(count));
  if (count < Count()) {
    frames_.resize(static_cast<std::size_t>(count));
    return;
  }
  frames_.reserve(static_cast<std::size_t>(count));
  while (Count() < count) frames_.push_back(std::make_unique<T3DMVertexList>());
}

// The reader ---------------------------------------------------------------------

namespace {

// The lines ran out: the normal end of a 3DM file, wherever it falls.
struct EndOfLines {};

struct Line {
  std::string text;  // trimmed
  int number;        // 1-based line of the file, for messages
};

}  // namespace

class T3DMReader {
 public:
  T3DMReader(T3DMFile& file, const std::vector<std::string>& lines) : file_(file) {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (!lines[i].empty()) lines_.push_back(Line{Trim(lines[i]), static_cast<int>(i + 1)});
  }

  void Run() {
    try {
      T3DMChunk chunk;
      for (;;) {
        ReadChunk(chunk);
        ReadSection(chunk);
      }
    } catch (const EndOfLines&) {
    }
    for (const auto& object : file_.objects_) CheckFaces(*object);
  }

 private:
  // Lines -------------------------------------------------------------------------

  const std::string& NextLine() {
    if (next_ >= lines_.size()) throw EndOfLines{};
    current_ = static_cast<int>(next_);
    return lines_[next_++].text;
  }

  // The messages are appended piece by piece: GCC 12 takes a literal
  // followed by "+ a new string", once inlined, for an overlapping copy
  // (-Wrestrict).
  std::string At() const {
    if (current_ < 0) return "";
    std::string at = " (line ";
    at += std::to_string(lines_[static_cast<std::size_t>(current_)].number);
    at += ')';
    return at;
  }

  // "'TEXT'" followed by `what`.
  static std::string Quoted(std::string_view text, std::string_view what) {
    std::string message = "'";
    message += text;
    message += "' ";
    message += what;
    return message;
  }

  [[noreturn]] void Fail(std::string_view operation, const std::string& text) const {
    RaiseError("T3DMFile", operation, text + At());
  }

  // Numbers and vectors ----------------------------------------------------------

  std::int32_t ToInteger(std::string_view text) const {
    auto v = ParseInt(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
      Fail("ReadInteger", Quoted(text, "is not a valid integer value"));
    return static_cast<std::int32_t>(*v);
  }

  float ToFloat(std::string_view text) const {
    auto v = ParseFloat(text);
    if (!v) Fail("ReadFloat", Quoted(text, "is not a valid floating point value"));
    return static_cast<float>(*v);
  }

  // "[a,b,c]": the first character and the last are dropped, the rest is cut
  // at its first two commas. Fewer than `needed` pieces is a malformed vector.
  std::vector<std::string_view> VectorParts(std::string_view text, std::size_t needed) const {
    if (text.size() < 2) Fail("ReadVector", Quoted(text, "is not a vector"));
    std::string_view inner = text.substr(1, text.size() - 2);
    std::vector<std::string_view> parts;
    for (int cut = 0; cut < 2; ++cut) {
      std::size_t comma = inner.find(',');
      if (comma == std::string_view::npos) break;
      parts.push_back(inner.substr(0, comma));
      inner.remove_prefix(comma + 1);
    }
    parts.push_back(inner);
    if (parts.size() < needed) Fail("ReadVector", Quoted(text, "is not a vector"));
    return parts;
  }

  T3DMVertex ToVertex(std::string_view text) const {
    auto p = VectorParts(text, 3);
    return T3DMVertex{ToFloat(p[0]), ToFloat(p[1]), ToFloat(p[2])};
  }

  T3DMFace ToFace(std::string_view text) const {
    auto p = VectorParts(text, 3);
    return T3DMFace{{ToInteger(p[0]), ToInteger(p[1]), ToInteger(p[2])}};
  }

  // "(color 32 32 32)": from the eighth character on, the last dropped.
  T3DMColor ToColor(std::string_view text) const {
    std::string_view inner = text.size() > 7 ? text.substr(7, text.size() - 8) : std::string_view();
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i < inner.size()) {
      while (i < inner.size() && inner[i] == ' ') ++i;
      std::size_t start = i;
      while (i < inner.size() && inner[i] != ' ') ++i;
      if (i > start) parts.push_back(inner.substr(start, i - start));
    }
    if (parts.size() != 3) Fail("ReadColor", Quoted(text, "is not a colour"));
    return T3DMColor{ToFloat(parts[0]), ToFloat(parts[1]), ToFloat(parts[2])};
  }

  T3DMParam ReadParam() {
    const std::string& line = NextLine();
    std::size_t blank = line.find(' ');
    if (blank == std::string::npos) return T3DMParam{line, ""};
    return T3DMParam{line.substr(0, blank), line.substr(blank + 1)};
  }

  // Sections ----------------------------------------------------------------------

  void ReadChunk(T3DMChunk& chunk) {
    for (;;) {
      const std::string& line = NextLine();
      if (line.empty()) Fail("ReadChunk", "a blank line where a section is expected");
      if (line[0] != '#') continue;
      std::size_t blank = line.find(' ');
      chunk.Name = line.substr(1, blank == std::string::npos ? std::string::npos : blank - 1);
      chunk.Count = ToInteger(blank == std::string::npos ? std::string_view() : std::string_view(line).substr(blank + 1));
      return;
    }
  }

  T3DMObject& Current(const T3DMChunk& chunk) const {
    if (file_.objects_.empty()) Fail("ReadChunk", "section \"" + chunk.Name + "\" comes before any \"Object\" section");
    return *file_.objects_.back();
  }

  void ReadSection(const T3DMChunk& chunk) {
    const std::string& name = chunk.Name;
    const int n = chunk.Count;
    if (name == "Header") {
      for (int i = 0; i < n; ++i) {
        T3DMParam p = ReadParam();
        if (p.Key == "Version") {
          file_.Version = ToInteger(p.Value);
          break;
        }
      }
    } else if (name == "Object") {
      file_.objects_.push_back(std::make_unique<T3DMObject>());
      T3DMObject& object = *file_.objects_.back();
      for (int i = 0; i < n; ++i) {
        T3DMParam p = ReadParam();
        if (p.Key == "Name") {
          object.Name = p.Value;
          break;
        }
      }
    } else if (name == "Vertices") {
      T3DMObject& object = Current(chunk);
      for (int i = 0; i < n; ++i) object.Vertices.Add(ToVertex(NextLine()));
    } else if (name == "Normals") {
      T3DMObject& object = Current(chunk);
      for (int i = 0; i < n; ++i) object.Normals.Add(ToVertex(NextLine()));
      object.HasNormals = object.Normals.Count() > 0;
    } else if (name == "TextureCoords") {
      T3DMObject& object = Current(chunk);
      for (int i = 0; i < n; ++i) {
        auto p = VectorParts(NextLine(), 2);
        object.TextureCoords.Add(T3DMTextureCoord{ToFloat(p[0]), ToFloat(p[1])});
      }
      object.HasTextureCoords = object.TextureCoords.Count() > 0;
    } else if (name == "Colors") {
      T3DMObject& object = Current(chunk);
      for (int i = 0; i < n; ++i) object.Colors.Add(ToColor(NextLine()));
      object.HasColors = object.Colors.Count() > 0;
    } else if (name == "VertexFaces" || name == "TextureCoordFaces" || name == "ColorFaces") {
      T3DMObject& object = Current(chunk);
      T3DMFaceList& faces = name == "VertexFaces"         ? object.VertexFaces
                            : name == "TextureCoordFaces" ? object.TextureCoordFaces
                                                          : object.ColorFaces;
      for (int i = 0; i < n; ++i) faces.Add(ToFace(NextLine()));
    } else if (name == "Transform") {
      ReadTransform(Current(chunk), n);
    } else if (name == "MaterialStandard") {
      auto material = std::make_unique<T3DMMaterialStandard>();
      T3DMMaterialStandard& m = *material;
      file_.Materials.Add(std::move(material));
      ReadStandard(m, n);
    } else if (name == "MaterialMultiSubObject") {
      ReadMultiSubObject(n);
    } else if (name == "FaceMatID") {
      T3DMObject& object = Current(chunk);
      for (int i = 0; i < n; ++i) object.FaceMaterials.Add(ToInteger(NextLine()));
    } else if (name == "Material") {
      T3DMObject& object = Current(chunk);
      T3DMParam p = ReadParam();
      if (p.Key == "Name") object.MaterialName = p.Value;
    } else if (name == "Animation") {
      ReadAnimation(Current(chunk), n);
    } else if (name == "AnimMesh") {
      ReadAnimMesh(Current(chunk));
    } else {
      for (int i = 0; i < n; ++i) NextLine();
    }
  }

  void ReadTransform(T3DMObject& object, int n) {
    object.ScaleSigns = 0;
    object.TransformFlag = false;
    for (int i = 0; i < n; ++i) {
      const std::string& line = NextLine();
      if (line.find("Scale") != std::string::npos) {
        std::size_t blank = line.find(' ');
        T3DMVertex s = ToVertex(blank == std::string::npos ? std::string_view() : std::string_view(line).substr(blank + 1));
        if (s.X < 0) object.ScaleSigns |= 1u;
        if (s.Y < 0) object.ScaleSigns |= 2u;
        if (s.Z < 0) object.ScaleSigns |= 4u;
      } else if (line.find("(matrix3") != std::string::npos) {
        ReadMatrix(object, line);
      }
    }
    object.HasTransform = true;
  }

  // One pass over the line: a number begins after "[" or "," and ends before
  // the next "," or "]". Elements past the line's numbers keep their values;
  // numbers past the twelfth are not stored.
  void ReadMatrix(T3DMObject& object, const std::string& line) {
    std::size_t element = 0;
    bool inNumber = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (c == ',' || c == ']') {
        if (inNumber && element < object.Matrix.size())
          object.Matrix[element++] = ToFloat(std::string_view(line).substr(start, i - start));
        inNumber = false;
      }
      if (c == '[' || c == ',') {
        inNumber = true;
        start = i + 1;
      }
    }
  }

  static std::string MapName(const std::string& value) { return SameText(value, "undefined") ? std::string() : value; }

  void ReadStandard(T3DMMaterialStandard& m, int n) {
    for (int i = 0; i < n; ++i) {
      T3DMParam p = ReadParam();
      const std::string& k = p.Key;
      const std::string& v = p.Value;
      if (k == "Name") {
        m.SetName(v);
      } else if (k == "ShaderType") {
        std::size_t blank = v.find(' ');
        m.ShaderType = ToInteger(blank == std::string::npos ? std::string_view(v) : std::string_view(v).substr(0, blank));
      } else if (k == "Faceted") {
        m.Faceted = UpperCase(v).starts_with('T');
      } else if (k == "TwoSided") {
        m.TwoSided = UpperCase(v).starts_with('T');
      } else if (k == "WireSize") {
        m.WireSize = ToInteger(v);
      } else if (k == "OpacityType") {
        m.OpacityType = ToInteger(v);
      } else if (k == "Opacity") {
        m.Opacity = ToFloat(v);
      } else if (k == "SpecularLevel") {
        m.SpecularLevel = ToFloat(v);
      } else if (k == "Glossiness") {
        m.Glossiness = ToFloat(v);
      } else if (k == "selfIllumColor") {
        m.SelfIllumColor = ToColor(v);
      } else if (k == "Ambient") {
        m.Ambient = ToColor(v);
      } else if (k == "Diffuse") {
        m.Diffuse = ToColor(v);
      } else if (k == "Specular") {
        m.Specular = ToColor(v);
      } else if (k == "DiffuseMap") {
        m.DiffuseMap = MapName(v);
      } else if (k == "OpacityMap") {
        m.OpacityMap = MapName(v);
      } else if (k == "BumpMap") {
        m.BumpMap = MapName(v);
      } else if (k == "ReflectionMap") {
        m.ReflectionMap = MapName(v);
      }
    }
  }

  void ReadMultiSubObject(int n) {
    auto material = std::make_unique<T3DMMaterialMultiSubObject>();
    T3DMMaterialMultiSubObject& multi = *material;
    file_.Materials.Add(std::move(material));
    int subs = 0;
    for (int i = 0; i < n; ++i) {
      T3DMParam p = ReadParam();
      if (p.Key == "Name") multi.SetName(p.Value);
      else if (p.Key == "NumSubs") subs = ToInteger(p.Value);
    }
    T3DMChunk chunk;
    for (int i = 0; i < subs; ++i) {
      ReadChunk(chunk);
      if (chunk.Name != "MaterialStandard") RaiseMessage("T3DMFile error: SubMaterial is not Standard");
      auto sub = std::make_unique<T3DMMaterialStandard>();
      T3DMMaterialStandard& s = *sub;
      multi.SubMaterials.Add(std::move(sub));
      ReadStandard(s, chunk.Count);
    }
  }

  void ReadAnimation(T3DMObject& object, int n) {
    for (int i = 0; i < n; ++i) {
      T3DMParam p = ReadParam();
      if (p.Key == "Length") {
        std::int32_t length = ToInteger(p.Value);
        // Every frame takes at least its own "Frame" line, so the frames of
        // all objects together never outnumber the file's lines. Checking
        // each length alone would let every object claim the whole file,
        // and memory grow with the square of its size.
        const std::size_t others = allFrames_ - static_cast<std::size_t>(object.VertexFrames.Count());
        if (length < 0 || static_cast<std::size_t>(length) > lines_.size() - others) {
          std::string message = "Length ";
          message += std::to_string(length);
          message += " is out of range for this file (";
          message += std::to_string(others);
          message += " frames of other animations and ";
          message += std::to_string(lines_.size());
          message += " lines)";
          Fail("ReadAnimation", message);
        }
        object.VertexFrames.SetCount(length);
        allFrames_ = others + static_cast<std::size_t>(length);
      } else if (p.Key == "Loop") {
        object.VertexFrames.Loop = LowerCase(p.Value) == "true";
      }
    }
  }

  void ReadAnimMesh(T3DMObject& object) {
    const int vertices = object.Vertices.Count();
    for (int f = 0; f < object.VertexFrames.Count(); ++f) {
      T3DMParam p = ReadParam();
      if (p.Key != "Frame") RaiseError("T3DMFile", "ReadAnimMesh", "It is not vertex frame animation!");
      T3DMVertexList& frame = object.VertexFrames.Frames(f);
      for (int i = 0; i < vertices; ++i) frame.Add(ToVertex(NextLine()));
    }
  }

  // Faces may only name records that the object has, and the colour and
  // texture-coordinate triangles must match the vertex triangles one for one.
  void CheckFaces(const T3DMObject& object) const {
    auto check = [&](const T3DMFaceList& faces, int count, const char* what) {
      for (int f = 0; f < faces.Count(); ++f)
        for (std::int32_t i : faces.Items(f).Index)
          if (i < 1 || i > count)
            RaiseError("T3DMFile", "CheckFaces",
                       "object \"" + object.Name + "\": face " + std::to_string(f + 1) + " names " + what + " " +
                           std::to_string(i) + " of " + std::to_string(count));
    };
    check(object.VertexFaces, object.Vertices.Count(), "vertex");
    check(object.ColorFaces, object.Colors.Count(), "colour");
    check(object.TextureCoordFaces, object.TextureCoords.Count(), "texture coordinate");
    auto match = [&](const T3DMFaceList& faces, const char* what) {
      if (faces.Count() != 0 && faces.Count() != object.VertexFaces.Count())
        RaiseError("T3DMFile", "CheckFaces",
                   "object \"" + object.Name + "\" has " + std::to_string(faces.Count()) + " " + what + " faces for " +
                       std::to_string(object.VertexFaces.Count()) + " vertex faces");
    };
    match(object.ColorFaces, "colour");
    match(object.TextureCoordFaces, "texture-coordinate");
  }

  T3DMFile& file_;
  std::vector<Line> lines_;
  std::size_t next_ = 0;
  int current_ = -1;
  std::size_t allFrames_ = 0;  // vertex frames of all objects so far
};

// T3DMFile --------------------------------------------------------------------------------

void T3DMFile::Clear() {
  objects_.clear();
  Materials.Clear();
  Version = 0;
}

T3DMObject& T3DMFile::Objects(int index) const {
  if (index < 0 || index >= ObjectCount())
    RaiseError("T3DMFile", "Objects", "List index out of bounds (" + std::to_string(index) + ")");
  return *objects_[static_cast<std::size_t>(index)];
}

void T3DMFile::LoadFromLines(const std::vector<std::string>& lines) {
  Clear();
  if (lines.empty()) return;
  T3DMReader(*this, lines).Run();
}

void T3DMFile::LoadFromStream(TStream& stream) { LoadFromLines(ReadLines(stream)); }

void T3DMFile::LoadFromFile(const std::string& fileName) {
  Clear();
  if (UseResourceReader) {
    TResourceFileReader& reader = ResourceReader();
    if (!reader.Open(fileName)) {
      Diagnose(TDiagnosticLevel::dlError, "the file " + ResourceFileName(fileName) + " is missing from the data");
      return;
    }
    std::vector<std::string> lines = ReadLines(*reader.Stream());
    reader.Close();
    LoadFromLines(lines);
    return;
  }
  TFileStream file(fileName, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

}  // namespace velmora
