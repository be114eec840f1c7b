; A scene with an object of every registered class, built on the files of
; the carried scene (extract its archive beside this file as
; ravavezaz.gsc). The clock's sprites come from every-class-clock.gsc, a
; description of their own (SourceName). Used by the scene check's tests.

[MainScene]
Type=TMainScene
Name=MainScene
Count=17

[MainScene1]
Type=TSceneTextureList
Name=Textures
Path=.\Scenes\
Quality=Medium
ColorBit=32bit
MipMap=1
Count=4

[Textures1]
Type=TSceneTexture
Name=water.jpg
TextureName=water.jpg

[Textures2]
Type=TSceneTexture
Name=caustlight.jpg
Format=Alpha
TextureName=caustlight.jpg
AlphaName=caustlightA.jpg
Animated=1

[Textures3]
Type=TSceneTexture
Name=Skin
Format=Alpha
TextureName=Yellow.jpg
AlphaName=ClockSkin01A.jpg
FileListName=ClockSkin01.txt
FileIndex=3

[Textures4]
Type=TSceneTexture
Name=Keyed
Format=Sprite
TextureName=surface.jpg
SpriteColor=10,20,30

[MainScene2]
Type=TSceneMaterialList
Name=Materials
Path=.\Scenes\
Count=1

[Materials1]
Type=TSceneMaterial
Name=Plain
Count=2
UseVertexColor=1
Ambient1=1,1,1,0.7
Diffuse1=0.5,0.5,0.5,0.7
Emission2=0.2,0.25,0.3,1
Shininess2=30

[MainScene3]
Type=TSceneMeshList
Name=Meshes
Path=.\Scenes\
Materials=Materials
Textures=Textures
Count=3

[Meshes1]
Type=TSceneMesh
Name=bubble.3dm
SourceName=bubble.3dm

[Meshes2]
Type=TSceneMesh
Name=reef.3dm
SourceName=reef.3dm
FPS=12

[Meshes3]
Type=TSceneMesh
Name=ClockFace.3dm
SourceName=ClockFace.3dm

[MainScene4]
Type=TMainLight
Name=Sun
ProcessOptions=[Render]
Enabled=1
LightStyle=Spot
Ambient=0.3,0.38,0.46,1
Position=0,1000,500
Direction=0,-1,-0.5
SpotExponent=10
SpotCutoff=45

[MainScene5]
Type=TUnderWater
Name=Water
ProcessOptions=[Render,Animation]
Visible=1
FogColor=0,106,156,255
UpTexture=Textures/water.jpg
LightTexture=Textures/caustlight.jpg
Light=Sun
Background=Meshes/reef.3dm

[MainScene6]
Type=TFishRender
Name=SaltWater
ProcessOptions=[Render,Animation]
Visible=1
Alpha=1
FishDirection=Left
Count=1

[SaltWater1]
Type=TFishes
Name=Bubblefish
Visual=Meshes/bubble.3dm
FishType=Fish
MaxSpeed=200
MinSpeed=110
MaxCount=20
ParticleCount=3

[MainScene7]
Type=TBubbles
Name=Bubbles
ProcessOptions=[Render,Animation]
Visual=Meshes/bubble.3dm
ParticleCount=5
MaxCount=50
MaxSpeed=100
MinSpeed=50

[MainScene8]
Type=TResource
Name=ClockResource
Count=2

[ClockResource1]
Type=TSceneMeshList
Name=ClockSprites
Path=.\Scenes\
Materials=Materials
Textures=Textures
SourceName=every-class-clock.gsc

[ClockResource2]
Type=TMainSpriteList
Name=ClockObjects
ProcessOptions=[Render]
Position=824,20,0
ViewWidth=1024
ViewHeight=768
Count=2

[ClockObjects1]
Type=TMainVisualObject
Name=Plate
Visual=ClockResource/ClockSprites/Plate

[ClockObjects2]
Type=TMainVisualObject
Name=time0
Visual=ClockResource/ClockSprites/0
VisualOptions=[Position,Scale]
Position=10,46,0
Scale=0.5,0.5,1

[MainScene9]
Type=TGLClock
Name=GLClock
ProcessOptions=[Render,Animation]
Sprites=ClockResource/ClockSprites
Objects=ClockResource/ClockObjects
Color=65,170,255,255
Mode=2

[MainScene10]
Type=TWatchClock
Name=Clock
ProcessOptions=[Render,Animation]
Position=0,0,-2900
Angles=4,-10,0
ClockFace=Meshes/ClockFace.3dm

[MainScene11]
Type=TMainVisualObjectList
Name=Swarm
ProcessOptions=[Render,Animation]
Visual=Meshes/bubble.3dm
Count=1

[Swarm1]
Type=TMainVisualObject
Name=One
Position=1,2,3

[MainScene12]
Type=TSceneFont
Name=Menu Font
Color=255,200,0
TextureSize=256
FontCellSize=16
FontName=Sans
FontStyle=[Bold]
StartChar1=0
EndChar1=9

[MainScene13]
Type=TSceneString
Name=Title
Font=Menu Font
Text=Velmora
X=10
Y=20

[MainScene14]
Type=TSceneText
Name=Menu
Font=Menu Font
StringColor=255,0,0
StringIndex=1
Text1=Start
Text2=Quit

[MainScene15]
Type=TMainItemList
Name=Plain Items

[MainScene16]
Type=TMainObjectList
Name=Plain Objects

[MainScene17]
Type=TSceneSoundList
Name=Sounds
ProcessOptions=[Render]
Visible=1
InitDevice=1
Rate=1
Bits=1
Channels=2
SoundVolume=60
Path=.\Scenes\
Count=1

[Sounds1]
Type=TSceneSound
Name=Bubbles
FileName=bubbles1.wav
Looped=1
Volume=40
