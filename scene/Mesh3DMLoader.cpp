#include "scene/Mesh3DMLoader.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "assets/Mesh3DM.h"
#include "assets/ResourceReader.h"
#include "core/Diagnostics.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/Material.h"
#include "gl/Primitive.h"
#include "scene/FileNames.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneTextureList.h"

namespace velmora {

// --- shared vertices ----------------------------------------------------------

TVertIndices3DMList::TVertIndices3DMList(int vertexCount) : heads_(static_cast<size_t>(std::max(vertexCount, 0)), -1) {}

int TVertIndices3DMList::Add(int32_t vertex, int32_t texCoord, int32_t color, float u, float v) {
  if (vertex < 1 || vertex > static_cast<int32_t>(heads_.size()))
    RaiseError("TVertIndices3DMList", "Add",
               "Vertex " + std::to_string(vertex) + " is out of range 1.." + std::to_string(heads_.size()));
  int32_t& head = heads_[static_cast<size_t>(vertex - 1)];
  for (int32_t r = head; r >= 0; r = records_[static_cast<size_t>(r)].Next) {
    const TVertIndex3DM& record = records_[static_cast<size_t>(r)];
    if (record.TexCoord == texCoord || (record.U == u && record.V == v)) return record.NewIndex;
  }
  if (Count() >= kMaxVertices)
    RaiseError("TVertIndices3DMList", "Add", "More than " + std::to_string(kMaxVertices) + " vertices in one group");
  TVertIndex3DM record;
  record.Vertex = vertex;
  record.NewIndex = Count();
  record.TexCoord = texCoord;
  record.Color = color;
  record.U = u;
  record.V = v;
  record.Next = head;
  head = record.NewIndex;
  records_.push_back(record);
  return record.NewIndex;
}

void TVertIndices3DMList::Clear() {
  for (const TVertIndex3DM& record : records_) heads_[static_cast<size_t>(record.Vertex - 1)] = -1;
  records_.clear();
}

// --- names and values ---------------------------------------------------------

namespace {

std::string MapName(const std::string& name) { return SameText(name, "undefined") ? std::string() : name; }

bool Finite(const T3DMColor& c) { return std::isfinite(c.R) && std::isfinite(c.G) && std::isfinite(c.B); }

TGLColor Scaled(const T3DMColor& c, float factor, float alpha) {
  return TGLColor{c.R * factor, c.G * factor, c.B * factor, alpha};
}

// A standard material's values as a material group.
void ConvertMaterial(const T3DMMaterialStandard& source, TGroupMaterial& group) {
  auto finite = [&](bool ok, const char* what) {
    if (!ok)
      RaiseError("T3DMMeshLoader", "AddMaterials",
                 "Material " + source.Name() + ": " + what + " is not a finite number");
  };
  finite(std::isfinite(source.Opacity), "Opacity");
  finite(std::isfinite(source.Glossiness), "Glossiness");
  finite(std::isfinite(source.SpecularLevel), "SpecularLevel");
  finite(Finite(source.Ambient), "Ambient");
  finite(Finite(source.Diffuse), "Diffuse");
  finite(Finite(source.SelfIllumColor), "selfIllumColor");
  finite(Finite(source.Specular), "Specular");
  const float alpha = source.Opacity >= 99 ? 1.0f : std::clamp(source.Opacity * 0.01f, 0.0f, 1.0f);
  TGLMaterial& m = *group.GLMaterial;
  m.SetAmbient(Scaled(source.Ambient, 1 / 255.0f, alpha));
  m.SetDiffuse(Scaled(source.Diffuse, 1 / 255.0f, alpha));
  m.SetEmission(Scaled(source.SelfIllumColor, 1 / 255.0f, alpha));
  TGLColor specular = Scaled(source.Specular, source.SpecularLevel * 0.01f / 255.0f, alpha);
  finite(std::isfinite(specular.r) && std::isfinite(specular.g) && std::isfinite(specular.b), "Specular level");
  m.SetSpecular(specular);
  m.SetShininess(std::clamp(source.Glossiness * 0.128f * 7, 0.0f, 128.0f));
  m.SetFrontFace(true);
  m.SetBackFace(source.TwoSided);
}

}  // namespace

std::string Texture3DMName(const T3DMMaterialStandard& material) {
  const std::string diffuse = MapName(material.DiffuseMap);
  const std::string opacity = MapName(material.OpacityMap);
  if (diffuse.empty() || opacity.empty()) return diffuse;
  return diffuse.substr(0, diffuse.find('.')) + "A" + ExtractFileExt(diffuse);
}

// --- loading ------------------------------------------------------------------

T3DMMeshLoader::T3DMMeshLoader() : file_(std::make_unique<T3DMFile>()) {}
T3DMMeshLoader::~T3DMMeshLoader() = default;

void T3DMMeshLoader::Load(const std::string& fileName, TSceneMesh& mesh) {
  const std::string name = CombinePath(Path, fileName);
  try {
    file_->Clear();
    file_->UseResourceReader = FromArchive;
    file_->LoadFromFile(FromArchive ? name : DiskFileName(name));
    Convert(fileName, mesh);
  } catch (const Error& error) {
    // Messages of the mesh's own operations name it already.
    const std::string text = error.what();
    const bool named = text.find("(mesh " + mesh.Name() + ")") != std::string::npos;
    throw Error(text + (named ? " (file " : " (mesh " + mesh.Name() + ", file ") + name + ")");
  }
}

void T3DMMeshLoader::Convert(const std::string& fileName, TSceneMesh& mesh) {
  if (file_->ObjectCount() == 0) return;
  fileName_ = fileName;
  mesh.SetSourceName(fileName);
  TSceneMeshList* list = mesh.List();
  materials_ = list ? list->Materials : nullptr;
  textures_ = list ? list->Textures : nullptr;
  if (!materials_) {
    // The mesh list's Materials reference found nothing: no object of the
    // file finds its material, so the mesh stays empty.
    Diagnose(TDiagnosticLevel::dlWarning,
             "the mesh is in no mesh list with a Materials list: " + ResourceFileName(fileName) + " stays empty");
    return;
  }
  AddMaterials();
  for (int i = 0; i < file_->ObjectCount(); ++i) AddMesh(file_->Objects(i), mesh);
}

TSceneTexture* T3DMMeshLoader::MaterialTexture(const T3DMMaterialStandard& material, bool makeMissing) {
  const std::string name = Texture3DMName(material);
  if (name.empty()) return nullptr;
  if (!textures_) {
    // The mesh list's Textures reference found nothing: untextured.
    if (makeMissing)
      Diagnose(TDiagnosticLevel::dlWarning, "material " + material.Name() + " names texture " + name +
                                                ", but the mesh is in no mesh list with a Textures list: drawn without it");
    return nullptr;
  }
  if (TMainObject* existing = textures_->FindItem(name)) {
    auto* texture = dynamic_cast<TSceneTexture*>(existing);
    if (!texture)
      RaiseError("T3DMMeshLoader", "Load", name + " in " + textures_->Name() + " is not a TSceneTexture");
    return texture;
  }
  if (!makeMissing) return nullptr;
  const std::string diffuse = MapName(material.DiffuseMap);
  const std::string opacity = MapName(material.OpacityMap);
  const TGLColorBytes black{0, 0, 0, 255};
  TSceneTexture* texture = !opacity.empty()        ? textures_->NewTexture(tfAlpha, name, diffuse, opacity, black, false)
                           : material.Opacity == 99 ? textures_->NewTexture(tfSprite, name, diffuse, "", black, true)
                                                    : textures_->NewTexture(tfTexture, name, diffuse, "", black, false);
  if (TDiagnostics* sink = Diagnostics())
    sink->SetPlace(texture, fileName_, "Material " + material.Name(),
                   {{"TextureName", "DiffuseMap"}, {"AlphaName", "OpacityMap"}, {"FileListName", "DiffuseMap"}});
  texture->LoadTexture();
  return texture;
}

void T3DMMeshLoader::AddMaterials() {
  const T3DMMaterialList& list = file_->Materials;
  if (list.Count() == 0) return;
  for (int i = 0; i < list.Count(); ++i) {
    T3DMMaterial* source = list.Items(i);
    bool created = false;
    TSceneMaterial* material = nullptr;
    if (TMainObject* existing = materials_->FindItem(source->Name())) {
      material = dynamic_cast<TSceneMaterial*>(existing);
      if (!material)
        RaiseError("T3DMMeshLoader", "Load",
                   source->Name() + " in " + materials_->Name() + " is not a TSceneMaterial");
    } else {
      auto made = std::make_unique<TSceneMaterial>();
      made->SetName(source->Name());
      materials_->AddItem(made.get());
      material = made.release();
      created = true;
    }
    std::vector<const T3DMMaterialStandard*> parts;
    if (const auto* standard = dynamic_cast<const T3DMMaterialStandard*>(source)) {
      parts.push_back(standard);
    } else if (const auto* multi = dynamic_cast<const T3DMMaterialMultiSubObject*>(source)) {
      if (multi->SubMaterials.Count() > TSceneMaterial::kMaxGroups)
        RaiseError("T3DMMeshLoader", "AddMaterials",
                   "Material " + source->Name() + " has " + std::to_string(multi->SubMaterials.Count()) +
                       " sub-materials; at most " + std::to_string(TSceneMaterial::kMaxGroups));
      for (int k = 0; k < multi->SubMaterials.Count(); ++k)
        if (const auto* sub = dynamic_cast<const T3DMMaterialStandard*>(multi->SubMaterials.Items(k)))
          parts.push_back(sub);
    }
    for (const T3DMMaterialStandard* part : parts) {
      MaterialTexture(*part, true);
      if (created) ConvertMaterial(*part, *material->AddGroup());
    }
  }
}

const T3DMMaterialStandard* T3DMMeshLoader::GroupSource(const std::string& materialName, int index) const {
  const T3DMMaterial* source = file_->Materials.FindByName(materialName);
  if (const auto* standard = dynamic_cast<const T3DMMaterialStandard*>(source)) return standard;
  const auto* multi = dynamic_cast<const T3DMMaterialMultiSubObject*>(source);
  if (!multi || index < 0 || index >= multi->SubMaterials.Count()) return nullptr;
  return dynamic_cast<const T3DMMaterialStandard*>(multi->SubMaterials.Items(index));
}

namespace {

[[noreturn]] void RaiseObject(const T3DMObject& object, const std::string& text) {
  RaiseError("T3DMMeshLoader", "AddMesh", "Object " + object.Name + ": " + text);
}

void CheckFinite(const T3DMObject& object, float a, float b, float c, const std::string& what) {
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) RaiseObject(object, what + " is not a finite number");
}

}  // namespace

void T3DMMeshLoader::AddMesh(const T3DMObject& object, TSceneMesh& mesh) {
  mesh.Material = materials_ ? materials_->FindMaterial(object.MaterialName) : nullptr;
  const int faces = object.VertexFaces.Count();
  if (faces == 0) return;
  if (object.FaceMaterials.Count() < faces)
    RaiseError("T3DMMeshLoader", "AddMesh",
               "Object " + object.Name + " has " + std::to_string(object.FaceMaterials.Count()) +
                   " face material numbers for " + std::to_string(faces) + " faces");
  if (!mesh.Material)
    RaiseError("TSceneMesh", "AddGroup",
               "Material is not assigned! (object " + object.Name + " names material " +
                   (object.MaterialName.empty() ? std::string("none") : object.MaterialName) + ")");

  // Faces bucketed by material number, in order of first appearance.
  std::array<int, 1001> bucketOf;
  bucketOf.fill(-1);
  std::vector<std::vector<int>> buckets;
  std::vector<TMeshGroup*> groups;
  for (int f = 0; f < faces; ++f) {
    const int32_t number = object.FaceMaterials.Items(f);
    if (number > 1000)
      RaiseMessage("T3DMMeshLoader.AddMesh: FaceID>1000 (object " + object.Name + ", face " + std::to_string(f + 1) +
                   ")");
    if (number < 1)
      RaiseError("T3DMMeshLoader", "AddMesh",
                 "Face " + std::to_string(f + 1) + " of object " + object.Name + " has material number " +
                     std::to_string(number) + "; numbers start at 1");
    int& bucket = bucketOf[static_cast<size_t>(number)];
    if (bucket < 0) {
      const int index = std::min(number - 1, mesh.Material->GroupCount() - 1);
      const T3DMMaterialStandard* source = GroupSource(object.MaterialName, index);
      groups.push_back(mesh.AddGroup(0, index, source ? MaterialTexture(*source, false) : nullptr));
      bucket = static_cast<int>(buckets.size());
      buckets.emplace_back();
    }
    buckets[static_cast<size_t>(bucket)].push_back(f);
  }

  const bool texCoords = object.TextureCoords.Count() > 0 && object.TextureCoordFaces.Count() == faces;
  const bool colors = object.Colors.Count() > 0 && object.ColorFaces.Count() == faces;
  const int vertexCount = object.Vertices.Count();
  const int frames = object.VertexFrames.Count();
  for (int k = 0; k < frames; ++k)
    if (object.VertexFrames.Frames(k).Count() != vertexCount)
      RaiseObject(object, "frame " + std::to_string(k + 1) + " holds " +
                              std::to_string(object.VertexFrames.Frames(k).Count()) + " positions for " +
                              std::to_string(vertexCount) + " vertices");

  TVertIndices3DMList shared(vertexCount);
  for (size_t b = 0; b < buckets.size(); ++b) {
    const std::vector<int>& bucket = buckets[b];
    TGLPrimitive& primitive = *groups[b]->Primitive;
    shared.Clear();
    primitive.Mode = GL_TRIANGLES;
    primitive.Indices.SetCount(static_cast<int>(bucket.size()) * 3);
    uint16_t* indices = primitive.Indices.Items();
    for (size_t i = 0; i < bucket.size(); ++i) {
      const int f = bucket[i];
      const T3DMFace& corners = object.VertexFaces.Items(f);
      for (int k = 0; k < 3; ++k) {
        const int32_t vertex = corners.Index[static_cast<size_t>(k)];
        int32_t t = 0, c = 0;
        float u = 0, v = 0;
        if (texCoords) {
          t = object.TextureCoordFaces.Items(f).Index[static_cast<size_t>(k)];
          const T3DMTextureCoord& coord = object.TextureCoords.Items(t);
          u = coord.U;
          v = coord.V;
        }
        if (colors) c = object.ColorFaces.Items(f).Index[static_cast<size_t>(k)];
        indices[i * 3 + static_cast<size_t>(k)] = static_cast<uint16_t>(shared.Add(vertex, t, c, u, v));
      }
    }

    const int count = shared.Count();
    primitive.Vertices.SetCount(count);
    if (texCoords) primitive.TexCoords[0].SetCount(count);
    for (int r = 0; r < count; ++r) {
      const TVertIndex3DM& record = shared.Items(r);
      const T3DMVertex& p = object.Vertices.Items(record.Vertex);
      CheckFinite(object, p.X, p.Y, p.Z, "vertex " + std::to_string(record.Vertex));
      primitive.Vertices.Items()[r] = TGLVector{p.X, p.Y, p.Z};
      if (!texCoords) continue;
      CheckFinite(object, record.U, record.V, 0, "texture coordinate " + std::to_string(record.TexCoord));
      primitive.TexCoords[0].Items()[r] = TGLTexCoord{record.U, record.V};
    }

    TMeshGroup& group = *groups[b];
    for (int k = 0; k < frames; ++k) {
      const T3DMVertexList& source = object.VertexFrames.Frames(k);
      TGLVectorDArray* frame = group.VertexFrames.Add(std::make_unique<TGLVectorDArray>());
      group.NormalFrames.Add(std::make_unique<TGLVectorDArray>());
      frame->SetCount(count);
      for (int r = 0; r < count; ++r) {
        const T3DMVertex& p = source.Items(shared.Items(r).Vertex);
        CheckFinite(object, p.X, p.Y, p.Z, "frame " + std::to_string(k + 1) + " vertex " +
                                                 std::to_string(shared.Items(r).Vertex));
        frame->Items()[r] = TGLVector{p.X, p.Y, p.Z};
      }
    }
  }

  // A transparent group's vertex colours carry its material's alpha.
  for (const auto& group : mesh.TransparentGroups) {
    const float alpha = group->MaterialGroup ? group->MaterialGroup->DiffuseAlpha() : 1.0f;
    const auto byte = static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255));
    TGLColorDArray& colours = group->Primitive->Colors;
    for (int i = 0; i < colours.Count(); ++i) colours.Items()[i].a = byte;
  }
  if (mesh.TransparentGroups.Count() > 0) mesh.Alpha = true;
}

}  // namespace velmora
