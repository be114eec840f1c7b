; The scene the program carries. Each section is one object: its class
; ("Type"), its name and its keys; a list names its children by "Count",
; child i living in the section named after the list and i. Objects may only
; refer to objects described above them, so the resource lists come first.
; Pictures, meshes and sounds named here are made by velmora-gen (tools/gen/)
; or lie beside this file in data/scene/; the build packs both.

[MainScene]
Type=TMainScene
Name=MainScene
Count=16
Capacity=16

; Textures of the water and the clock skins. SeaBottom takes one sand per water
; colour from SeaBottom.txt (each water selects its entry by BackgroundIndex);
; the clock skin pairs each colour image with ClockSkin01A.jpg (ClockSkin01.txt).
; Textures of the meshes are made from their 3DM materials when they load.

[MainScene1]
Type=TSceneTextureList
Name=Textures
Path=.\Scenes\
Quality=High
ColorBit=Compressed
MipMap=0
Count=7

[Textures1]
Type=TSceneTexture
Name=caustlight.jpg
Format=Alpha
TextureName=caustlight.jpg
AlphaName=caustlightA.jpg

[Textures2]
Type=TSceneTexture
Name=water.jpg
TextureName=water.jpg

[Textures3]
Type=TSceneTexture
Name=caustback.jpg
TextureName=caustback.jpg

[Textures4]
Type=TSceneTexture
Name=caustfish.jpg
TextureName=caustfish.jpg

[Textures5]
Type=TSceneTexture
Name=surface.jpg
TextureName=surface.jpg

[Textures6]
Type=TSceneTexture
Name=SeaBottom
TextureName=SandBlue.jpg
FileListName=SeaBottom.txt
FileIndex=0

[Textures7]
Type=TSceneTexture
Name=ClockSkin01A.jpg
Format=Alpha
TextureName=Yellow.jpg
AlphaName=ClockSkin01A.jpg
FileListName=ClockSkin01.txt
FileIndex=0

; Materials that meshes and sprites name; 3DM materials add their own here.

[MainScene2]
Type=TSceneMaterialList
Name=Materials
Path=.\Scenes\
Count=2

[Materials1]
Type=TSceneMaterial
Name=Puzir01
Count=1
UseVertexColor=1
Ambient1=1,1,1,0.7
Diffuse1=0,0,0,0.7
Specular1=1,1,1,0.7
Emission1=0.2,0.25,0.3,0.7
Shininess1=60

[Materials2]
Type=TSceneMaterial
Name=ClockSprite
Count=1
UseVertexColor=1
Ambient1=1,1,1,1
Diffuse1=1,1,1,1
Emission1=0,0,0,1

; 3DM meshes: bubble, analogue clock, background reef and rocks, fish, plankton.

[MainScene3]
Type=TSceneMeshList
Name=Meshes
Path=.\Scenes\
Materials=Materials
Textures=Textures
Count=15

[Meshes1]
Type=TSceneMesh
Name=bubble.3dm
SourceName=bubble.3dm

[Meshes2]
Type=TSceneMesh
Name=ClockFace.3dm
SourceName=ClockFace.3dm

[Meshes3]
Type=TSceneMesh
Name=HourHand.3dm
SourceName=HourHand.3dm

[Meshes4]
Type=TSceneMesh
Name=MinHand.3dm
SourceName=MinHand.3dm

[Meshes5]
Type=TSceneMesh
Name=SecHand.3dm
SourceName=SecHand.3dm

[Meshes6]
Type=TSceneMesh
Name=reef.3dm
SourceName=reef.3dm

[Meshes7]
Type=TSceneMesh
Name=rocks.3dm
SourceName=rocks.3dm

[Meshes8]
Type=TSceneMesh
Name=angelfish.3dm
SourceName=angelfish.3dm

[Meshes9]
Type=TSceneMesh
Name=tang.3dm
SourceName=tang.3dm

[Meshes10]
Type=TSceneMesh
Name=clownfish.3dm
SourceName=clownfish.3dm

[Meshes11]
Type=TSceneMesh
Name=seaplankton.3dm
SourceName=seaplankton.3dm

[Meshes12]
Type=TSceneMesh
Name=perch.3dm
SourceName=perch.3dm

[Meshes13]
Type=TSceneMesh
Name=trout.3dm
SourceName=trout.3dm

[Meshes14]
Type=TSceneMesh
Name=carp.3dm
SourceName=carp.3dm

[Meshes15]
Type=TSceneMesh
Name=lakeplankton.3dm
SourceName=lakeplankton.3dm

; Three parallel lights; the visible water switches its own on.

[MainScene4]
Type=TMainLight
Name=Blue Light
ProcessOptions=[Render]
Enabled=1
LightStyle=Parallel
Infinite=1
Ambient=0.3,0.38,0.46,1
Diffuse=0.78,0.9,1,1
Specular=0.5,0.6,0.7,1
Position=0.3,1,0.5
Direction=-0.3,-1,-0.5

[MainScene5]
Type=TMainLight
Name=Aquamarine Light
ProcessOptions=[Render]
Enabled=0
LightStyle=Parallel
Infinite=1
Ambient=0.28,0.42,0.42,1
Diffuse=0.76,0.97,0.95,1
Specular=0.5,0.6,0.7,1
Position=0.3,1,0.5
Direction=-0.3,-1,-0.5

[MainScene6]
Type=TMainLight
Name=Green Light
ProcessOptions=[Render]
Enabled=0
LightStyle=Parallel
Infinite=1
Ambient=0.3,0.42,0.34,1
Diffuse=0.8,1,0.84,1
Specular=0.5,0.6,0.7,1
Position=0.3,1,0.5
Direction=-0.3,-1,-0.5

; The three waters; the world shows one (WaterBackgroundIndex).

[MainScene7]
Type=TUnderWater
Name=Blue Water
ProcessOptions=[Render,Animation]
Visible=1
FarPlane=10000
FogStart=6000
FogEnd=10000
FogColor=0,106,156,255
UpY=5000
BottomY=-3000
UpColor=20,160,230,255
BottomColor=20,90,130,255
UpAlpha=0.55
BottomAlpha=0.35
BottomTexture=Textures/SeaBottom
UpTexture=Textures/surface.jpg
BackgroundIndex=0
LightTexture=Textures/caustlight.jpg
UpLightMap=Textures/water.jpg
BackgroundLightMap=Textures/caustback.jpg
Light=Blue Light
Background=Meshes/reef.3dm

[MainScene8]
Type=TUnderWater
Name=Aquamarine Water
ProcessOptions=[Render,Animation]
Visible=0
FarPlane=10000
FogStart=6000
FogEnd=10000
FogColor=0,153,174,255
UpY=5000
BottomY=-3000
UpColor=0,167,179,255
BottomColor=28,118,135,255
UpAlpha=0.55
BottomAlpha=0.35
BottomTexture=Textures/SeaBottom
UpTexture=Textures/surface.jpg
BackgroundIndex=1
LightTexture=Textures/caustlight.jpg
UpLightMap=Textures/water.jpg
BackgroundLightMap=Textures/caustback.jpg
Light=Aquamarine Light
Background=Meshes/reef.3dm

[MainScene9]
Type=TUnderWater
Name=Green Water
ProcessOptions=[Render,Animation]
Visible=0
FarPlane=10000
FogStart=6000
FogEnd=10000
FogColor=0,159,117,255
UpY=5000
BottomY=-3000
UpColor=0,179,140,255
BottomColor=27,135,121,255
UpAlpha=0.55
BottomAlpha=0.35
BottomTexture=Textures/SeaBottom
UpTexture=Textures/surface.jpg
BackgroundIndex=2
LightTexture=Textures/caustlight.jpg
UpLightMap=Textures/water.jpg
BackgroundLightMap=Textures/caustback.jpg
Light=Green Light
Background=Meshes/rocks.3dm

; Fish environments; the world shows one (FishTypeIndex) and spreads
; FishCount over its visible fish lists.

[MainScene10]
Type=TFishRender
Name=SaltWater
ProcessOptions=[Render,Animation]
Visible=1
Alpha=1
StepZ=10
SortAlpha=1
FishDirection=Both
LightMapTexture=Textures/caustfish.jpg
Count=4

[SaltWater1]
Type=TFishes
Name=Angelfish
Visible=1
Alpha=1
Visual=Meshes/angelfish.3dm
FishType=Fish
MaxZ=8000
MinZ=1200
UpY=2400
BottomY=-2600
MaxSpeed=200
MinSpeed=110
MaxCount=60
ParticleCount=7

[SaltWater2]
Type=TFishes
Name=Blue Tang
Visible=1
Alpha=1
Visual=Meshes/tang.3dm
FishType=Fish
MaxZ=8000
MinZ=1200
UpY=2400
BottomY=-2600
MaxSpeed=280
MinSpeed=160
MaxCount=60
ParticleCount=7

[SaltWater3]
Type=TFishes
Name=Clownfish
Visible=1
Alpha=1
Visual=Meshes/clownfish.3dm
FishType=Fish
MaxZ=8000
MinZ=1000
UpY=2000
BottomY=-2700
MaxSpeed=200
MinSpeed=110
MaxCount=60
ParticleCount=6

[SaltWater4]
Type=TFishes
Name=Sea Plankton
Visible=1
Alpha=1
Visual=Meshes/seaplankton.3dm
FishType=Plankton
MaxZ=3000
MinZ=600
UpY=3000
BottomY=-2800
MaxSpeed=45
MinSpeed=15
MaxCount=60
ParticleCount=60

[MainScene11]
Type=TFishRender
Name=FreshWater
ProcessOptions=[Render,Animation]
Visible=0
Alpha=1
StepZ=10
SortAlpha=1
FishDirection=Both
LightMapTexture=Textures/caustfish.jpg
Count=4

[FreshWater1]
Type=TFishes
Name=Perch
Visible=1
Alpha=1
Visual=Meshes/perch.3dm
FishType=Fish
MaxZ=8000
MinZ=1200
UpY=2400
BottomY=-2600
MaxSpeed=260
MinSpeed=150
MaxCount=60
ParticleCount=7

[FreshWater2]
Type=TFishes
Name=Trout
Visible=1
Alpha=1
Visual=Meshes/trout.3dm
FishType=Fish
MaxZ=8000
MinZ=1400
UpY=2600
BottomY=-2400
MaxSpeed=340
MinSpeed=210
MaxCount=60
ParticleCount=7

[FreshWater3]
Type=TFishes
Name=Carp
Visible=1
Alpha=1
Visual=Meshes/carp.3dm
FishType=Fish
MaxZ=8000
MinZ=1200
UpY=1800
BottomY=-2800
MaxSpeed=170
MinSpeed=100
MaxCount=60
ParticleCount=6

[FreshWater4]
Type=TFishes
Name=Lake Plankton
Visible=1
Alpha=1
Visual=Meshes/lakeplankton.3dm
FishType=Plankton
MaxZ=3000
MinZ=600
UpY=3000
BottomY=-2800
MaxSpeed=40
MinSpeed=12
MaxCount=60
ParticleCount=60

; The analogue clock; its hands are turned by the local time.

[MainScene12]
Type=TWatchClock
Name=Clock
ProcessOptions=[Render,Animation]
Visible=1
Alpha=1
Position=0,0,-2900
Angles=4,-10,0
ClockFace=Meshes/ClockFace.3dm
HourHand=Meshes/HourHand.3dm
MinHand=Meshes/MinHand.3dm
SecHand=Meshes/SecHand.3dm

[MainScene13]
Type=TBubbles
Name=Bubbles
ProcessOptions=[Render,Animation]
Visible=1
Alpha=1
Visual=Meshes/bubble.3dm
ParticleCount=100
MaxCount=1000
MinZ=1500.0
MaxZ=2500.0
MaxSpeed=100.0
MinSpeed=50.0
BottomY=-3000
UpY=5000

; Sprites of the digital clock, cut from the skin, and the layer that
; places them on a 1024 x 768 screen; GLClock points the digit objects at
; the digit sprites.

[MainScene14]
Type=TResource
Name=ClockResource
Count=2

[ClockResource1]
Type=TSceneMeshList
Name=ClockSprites
Path=.\Scenes\
Materials=Materials
Textures=Textures
Count=22

[ClockSprites1]
Type=TSceneSprite
Name=Plate
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=0
StartV=0
Width=180
Height=131
OriginX=0
OriginY=0

[ClockSprites2]
Type=TSceneSprite
Name=0
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=0
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites3]
Type=TSceneSprite
Name=1
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=32
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites4]
Type=TSceneSprite
Name=2
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=64
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites5]
Type=TSceneSprite
Name=3
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=96
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites6]
Type=TSceneSprite
Name=4
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=128
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites7]
Type=TSceneSprite
Name=5
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=160
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites8]
Type=TSceneSprite
Name=6
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=192
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites9]
Type=TSceneSprite
Name=7
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=224
StartV=134
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites10]
Type=TSceneSprite
Name=8
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=0
StartV=184
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites11]
Type=TSceneSprite
Name=9
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=32
StartV=184
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites12]
Type=TSceneSprite
Name=:
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=64
StartV=184
Width=14
Height=46
OriginX=0
OriginY=0

[ClockSprites13]
Type=TSceneSprite
Name=\
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=80
StartV=184
Width=30
Height=46
OriginX=0
OriginY=0

[ClockSprites14]
Type=TSceneSprite
Name=am
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=184
Width=40
Height=20
OriginX=0
OriginY=0

[ClockSprites15]
Type=TSceneSprite
Name=pm
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=206
Width=40
Height=20
OriginX=0
OriginY=0

[ClockSprites16]
Type=TSceneSprite
Name=sun
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=2
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites17]
Type=TSceneSprite
Name=mon
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=24
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites18]
Type=TSceneSprite
Name=tue
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=46
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites19]
Type=TSceneSprite
Name=wed
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=68
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites20]
Type=TSceneSprite
Name=thu
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=90
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites21]
Type=TSceneSprite
Name=fri
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=184
StartV=112
Width=70
Height=20
OriginX=0
OriginY=0

[ClockSprites22]
Type=TSceneSprite
Name=sat
Texture=Textures/ClockSkin01A.jpg
Material=Materials/ClockSprite
StartU=112
StartV=184
Width=70
Height=20
OriginX=0
OriginY=0

[ClockResource2]
Type=TMainSpriteList
Name=ClockObjects
Visible=1
Alpha=1
Position=824,20,0
ViewWidth=1024
ViewHeight=768
Lighting=0
Count=14

[ClockObjects1]
Type=TMainVisualObject
Name=ClockPlate
Alpha=1
Visual=ClockResource/ClockSprites/Plate
VisualOptions=[Position]
Position=0,0,0

[ClockObjects2]
Type=TMainVisualObject
Name=day
Alpha=1
Visual=ClockResource/ClockSprites/sun
VisualOptions=[Position]
Position=14,104,0

[ClockObjects3]
Type=TMainVisualObject
Name=time1
Alpha=1
Visual=ClockResource/ClockSprites/1
VisualOptions=[Position]
Position=13,46,0

[ClockObjects4]
Type=TMainVisualObject
Name=time2
Alpha=1
Visual=ClockResource/ClockSprites/2
VisualOptions=[Position]
Position=45,46,0

[ClockObjects5]
Type=TMainVisualObject
Name=time3
Alpha=1
Visual=ClockResource/ClockSprites/:
VisualOptions=[Position]
Position=78,46,0

[ClockObjects6]
Type=TMainVisualObject
Name=time4
Alpha=1
Visual=ClockResource/ClockSprites/0
VisualOptions=[Position]
Position=94,46,0

[ClockObjects7]
Type=TMainVisualObject
Name=time5
Alpha=1
Visual=ClockResource/ClockSprites/0
VisualOptions=[Position]
Position=126,46,0

[ClockObjects8]
Type=TMainVisualObject
Name=time6
Alpha=1
Visual=ClockResource/ClockSprites/am
VisualOptions=[Position]
Position=128,104,0

[ClockObjects9]
Type=TMainVisualObject
Name=time7
Alpha=1
Visual=ClockResource/ClockSprites/pm
VisualOptions=[Position]
Position=128,104,0

[ClockObjects10]
Type=TMainVisualObject
Name=month1
Alpha=1
Visual=ClockResource/ClockSprites/0
VisualOptions=[Position,Scale]
Scale=0.5,0.5,1
Position=52,14,0

[ClockObjects11]
Type=TMainVisualObject
Name=month2
Alpha=1
Visual=ClockResource/ClockSprites/1
VisualOptions=[Position,Scale]
Scale=0.5,0.5,1
Position=68,14,0

[ClockObjects12]
Type=TMainVisualObject
Name=month3
Alpha=1
Visual=ClockResource/ClockSprites/\
VisualOptions=[Position,Scale]
Scale=0.5,0.5,1
Position=83,14,0

[ClockObjects13]
Type=TMainVisualObject
Name=month4
Alpha=1
Visual=ClockResource/ClockSprites/0
VisualOptions=[Position,Scale]
Scale=0.5,0.5,1
Position=99,14,0

[ClockObjects14]
Type=TMainVisualObject
Name=month5
Alpha=1
Visual=ClockResource/ClockSprites/1
VisualOptions=[Position,Scale]
Scale=0.5,0.5,1
Position=115,14,0

[MainScene15]
Type=TGLClock
Name=GLClock
ProcessOptions=[Render,Animation]
Visible=1
Alpha=1
Sprites=ClockResource/ClockSprites
Objects=ClockResource/ClockObjects
Color=255,255,255,255
Mode=1

; Two looping bubble sounds (22050 Hz, stereo, 16-bit).

[MainScene16]
Type=TSceneSoundList
Name=Sounds
ProcessOptions=[Render]
Visible=1
Active=1
InitDevice=1
Rate=1
Bits=1
Channels=2
SoundVolume=70
MusicVolume=70
Path=.\Scenes\
Count=2

[Sounds1]
Type=TSceneSound
Name=Bubbles Sound - 1
Visible=1
FileName=bubbles1.wav
Looped=1
Music=0
Volume=70
Pan=0

[Sounds2]
Type=TSceneSound
Name=Bubbles Sound - 2
Visible=1
FileName=bubbles2.wav
Looped=1
Music=0
Volume=55
Pan=0
