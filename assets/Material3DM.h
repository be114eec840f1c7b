// Materials of a 3DM mesh file: standard materials (colours, maps, opacity)
// and multi-materials whose sub-materials are standard ones, kept in a
// material list that owns them and indexes them by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A colour in the file's 0..255 scale.
struct T3DMColor {
  float R = 0, G = 0, B = 0;
};

class T3DMMaterialList;

class T3DMMaterial {
 public:
  virtual ~T3DMMaterial() = default;

  T3DMMaterialList* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // In a list, the material leaves the name index and enters it again under
  // the new name.
  void SetName(const std::string& name);

 private:
  friend class T3DMMaterialList;
  T3DMMaterialList* owner_ = nullptr;
  std::string name_;
};

// Owns its materials in insertion order. The name index compares without
// regard to case; a material whose name is already indexed stays in the list
// but cannot be found by name.
class T3DMMaterialList {
 public:
  T3DMMaterialList() = default;
  ~T3DMMaterialList();
  T3DMMaterialList(const T3DMMaterialList&) = delete;
  T3DMMaterialList& operator=(const T3DMMaterialList&) = delete;

  // Takes ownership. None raises "T3DMMaterialList error: Add a NIL Material";
  // a material that already belongs to a list raises too.
  void Add(std::unique_ptr<T3DMMaterial> material);
  // Hands the material back to the caller; nullptr when it is not in the list.
  std::unique_ptr<T3DMMaterial> Remove(T3DMMaterial* material);
  void Clear();

  int Count() const { return static_cast<int>(items_.size()); }
  // By position (0-based); a bad position raises.
  T3DMMaterial* Items(int index) const;
  // Case-insensitive; nullptr when absent.
  T3DMMaterial* FindByName(std::string_view name) const;

 private:
  friend class T3DMMaterial;
  void EnterName(T3DMMaterial* material);
  void LeaveName(T3DMMaterial* material);

  std::vector<std::unique_ptr<T3DMMaterial>> items_;
  std::vector<T3DMMaterial*> index_;  // sorted with CompareText, unique names
};

class T3DMMaterialStandard : public T3DMMaterial {
 public:
  bool Faceted = false;
  bool TwoSided = false;
  std::int32_t ShaderType = 0;
  std::int32_t OpacityType = 0;
  std::int32_t WireSize = 0;
  float Glossiness = 0;
  float SpecularLevel = 0;
  float Opacity = 0;  // percent
  std::string DiffuseMap;
  std::string ReflectionMap;
  std::string OpacityMap;
  std::string BumpMap;
  T3DMColor Ambient;
  T3DMColor Diffuse;
  T3DMColor SelfIllumColor;
  T3DMColor Specular;
};

class T3DMMaterialMultiSubObject : public T3DMMaterial {
 public:
  T3DMMaterialList SubMaterials;  // standard materials, in file order
};

}  // namespace velmora
