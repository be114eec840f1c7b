#include "scene/SceneSprite.h"

#include "core/Error.h"
#include "core/Strings.h"
#include "gl/Primitive.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTexture.h"

namespace velmora {

namespace {

void SetColour(TMeshGroupList& groups, const TGLColorBytes& colour) {
  if (groups.Count() == 0) return;
  TGLColorDArray& colours = groups.Items(0)->Primitive->Colors;
  colours.SetCount(1);
  colours.Items()[0] = colour;
}

}  // namespace

void TSceneSprite::UpdateSpriteMesh() {
  if (!MeshBuilt) {
    if (!Texture) RaiseError("TSceneSprite", "UpdateSpriteMesh", "Texture=nil! (sprite " + Name() + ")");
    ClearGroups();
    BindSceneTexture(Texture);
    TGLPrimitive& quad = *AddGroup(0, 0, Texture)->Primitive;

    // In 64 bits and doubles: any integers give finite corners.
    const double xLow = OriginX, yLow = OriginY;
    const double xHigh = static_cast<double>(int64_t{Width} - 1 + OriginX);
    const double yHigh = static_cast<double>(int64_t{Height} - 1 + OriginY);
    quad.Mode = GL_TRIANGLES;
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    quad.Indices.LoadFromArray(indices);
    quad.Vertices.SetCount(4);
    quad.Vertices.SetVector(0, float(xLow), float(yHigh), 0);
    quad.Vertices.SetVector(1, float(xLow), float(yLow), 0);
    quad.Vertices.SetVector(2, float(xHigh), float(yLow), 0);
    quad.Vertices.SetVector(3, float(xHigh), float(yHigh), 0);

    const double w = Texture->ImageWidth - 1 < 1 ? 1 : Texture->ImageWidth - 1;
    const double h = Texture->ImageHeight - 1 < 1 ? 1 : Texture->ImageHeight - 1;
    const double uLow = StartU / w;
    const double vLow = (h - StartV - Height + 1) / h;
    const double uHigh = (double(Width) - 1) / w + uLow;
    const double vHigh = (double(Height) - 1) / h + vLow;
    TGLTextureCoordDArray& coords = quad.TexCoords[0];
    coords.SetCount(4);
    coords.SetTexCoord(0, float(uLow), float(vHigh));
    coords.SetTexCoord(1, float(uLow), float(vLow));
    coords.SetTexCoord(2, float(uHigh), float(vLow));
    coords.SetTexCoord(3, float(uHigh), float(vHigh));
    MeshBuilt = true;
  }
  SetColour(OpaqueGroups, Color);
  SetColour(TransparentGroups, Color);
}

// Without texture or material there is no quad to make: the sprite draws
// nothing, as any object whose reference found nothing.
void TSceneSprite::RenderOpaque() {
  if (!Texture || !Material) return;
  UpdateSpriteMesh();
  TSceneMesh::RenderOpaque();
}

void TSceneSprite::RenderTransparent() {
  if (!Texture || !Material) return;
  UpdateSpriteMesh();
  TSceneMesh::RenderTransparent();
}

void TSceneSprite::ReadProperties(TResourceLoader& loader) {
  TSceneMesh::ReadProperties(loader);
  MeshBuilt = false;
  // A path that finds nothing leaves the sprite without texture (the
  // loader warns at the key); it then draws nothing.
  Texture = loader.ReadReferenceAs<TSceneTexture>("Texture", Texture);
  OriginX = loader.ReadInteger("OriginX", OriginX);
  OriginY = loader.ReadInteger("OriginY", OriginY);
  Width = loader.ReadInteger("Width", Width);
  Height = loader.ReadInteger("Height", Height);
  StartU = loader.ReadInteger("StartU", StartU);
  StartV = loader.ReadInteger("StartV", StartV);
}

void TSceneSprite::WriteProperties(TResourceLoader& loader) {
  TSceneMesh::WriteProperties(loader);
  if (Texture) loader.WriteReference("Texture", Texture);
  loader.WriteInteger("OriginX", OriginX);
  loader.WriteInteger("OriginY", OriginY);
  loader.WriteInteger("Width", Width);
  loader.WriteInteger("Height", Height);
  loader.WriteInteger("StartU", StartU);
  loader.WriteInteger("StartV", StartV);
}

}  // namespace velmora
