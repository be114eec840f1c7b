// Resource lists: named lists that own their children and can load them
// from a scene description, and the path references between objects.
//
// A TResource is the owner of everything in it (AddItem sets each child's
// Owner; freeing or clearing the resource frees the children). It is
// invisible from creation: resource lists draw nothing unless the
// description says "Visible=1". TSceneLayer is a visible resource that
// draws in two passes: the opaque parts of all its children, then the
// transparent parts of all of them.
//
// Lifecycle of a resource with its own file:
//
//   made -> Path, SourceName set -> Load: cleared, its section read, its
//   children created and read (TResourceLoader) -> ... -> Save writes it
//   back (plain text) -> freed with its children.
//
// Keys (besides those of TMainObject):
//   Path=<text>          directory prefix of its files and of its
//                        children's files; default ".\"
//   SourceName=<file>    on a child resource: its children come from that
//                        file (read by the loader, see ResourceLoader.h)
// Written back: "Path" only when it is not ".\"; "Visible" always (the
// default differs between resource classes, so the value must be in the
// file for a round trip).
//
// Paths: object names joined with "/", resolved from a root list
// ("ClockResource/ClockSprites/Plate"). A "/" at the end adds nothing; an
// empty segment ("a//b") and a missing name resolve to nothing.
//
// Errors:
//   "FindObject error: Invalid class typecast: <name> is a <class>, not a list of named objects (path <path>)"
//   "RefferenceToStr error: Owner is nil!"
//   "TResource.Load error: <file> includes itself"
//   "TResource.Load error: Descriptions nested too deeply at <file>"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/SceneList.h"

namespace velmora {

// Where a scene reads its descriptions from: a set of these flags.
enum : uint8_t {
  sfDisk = 1,
  sfArchive = 2,
};

class TResource : public TMainObjectList {
 public:
  TResource();
  // Frees the children.
  ~TResource() override;

  const char* ClassName() const override { return "TResource"; }

  std::string Path = ".\\";
  // The file of this resource's own description; empty: none.
  std::string SourceName;
  // The description file is read with every byte of every line inverted.
  bool Encoded = false;

  // The name list's AddItem; an entered item gets the resource as Owner.
  TMainItem* AddItem(TMainItem* item) override;
  // Frees every child, then empties the name index.
  void Clear() override;
  // The same as Clear: on a resource it frees the children too.
  void ClearList() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // Appends one resource-script line per file the resource needs; empty.
  virtual void ListResources(std::vector<std::string>& lines);
  // Clears the resource and rebuilds it from its description (see
  // ResourceLoader.h for where the files come from).
  virtual void Load();
  // Writes the resource's description to CombinePath(Path, SourceName).
  virtual void Save();

  // The scene's SourceFlags; sfDisk for a resource outside a scene.
  uint8_t SourceFlags() const;
};

class TSceneLayer : public TResource {
 public:
  TSceneLayer();

  const char* ClassName() const override { return "TSceneLayer"; }

  // When visible: BeginRender, the opaque parts of all visible children,
  // then (when Alpha) their transparent parts, EndRender.
  void Render() override;
};

// The object at path below root, or nullptr. Raises the type error when the
// path continues below an object that is not a list of named objects.
TMainObject* FindObject(const TMainList* root, std::string_view path);

// The path of object from root: its name, preceded by the names of its
// owners below root. Empty for nullptr.
std::string RefferenceToStr(const TMainItem* root, const TMainItem* object);

}  // namespace velmora
