[MainScene]
Type=TMainScene
Name=MainScene
Count=5

[MainScene1]
Type=TSceneMeshList
Name=Meshes
Count=1

[Meshes1]
Type=TSceneMesh
Name=Face

[MainScene2]
Type=TWatchClock
Name=Clock
ProcessOptions=[Render,Animation]
Alpha=1
Position=0,0,-2900
Angles=4,-10,0
ClockFace=Meshes/Face
HourHand=Meshes/Face
MinHand=Meshes/Missing
SecHand=Clock

[MainScene3]
Type=TResource
Name=ClockResource
Count=2

[ClockResource1]
Type=TSceneMeshList
Name=ClockSprites
Count=3

[ClockSprites1]
Type=TSceneSprite
Name=0

[ClockSprites2]
Type=TSceneSprite
Name=9

[ClockSprites3]
Type=TSceneSprite
Name=wed

[ClockResource2]
Type=TMainSpriteList
Name=ClockObjects
Visible=1
Alpha=1
Count=3

[ClockObjects1]
Type=TMainVisualObject
Name=time1
Visual=ClockResource/ClockSprites/0

[ClockObjects2]
Type=TMainVisualObject
Name=time3
Visual=ClockResource

[ClockObjects3]
Type=TMainVisualObject
Name=day

[MainScene4]
Type=TGLClock
Name=GLClock
ProcessOptions=[Render,Animation]
Sprites=ClockResource/ClockSprites
Objects=ClockResource/ClockObjects
Color=65,170
Mode=2

[MainScene5]
Type=TGLClock
Name=Lost
ProcessOptions=[Render,Animation]
Sprites=Clock
Objects=Nowhere
Mode=-7
