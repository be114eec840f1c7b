; The digital clock's sprites of every-class.gsc, in a file of their own.

[ClockSprites]
Count=2

[ClockSprites1]
Type=TSceneSprite
Name=Plate
Texture=Textures/Skin
Material=Materials/Plain
Width=180
Height=131

[ClockSprites2]
Type=TSceneSprite
Name=0
Texture=Textures/Skin
Material=Materials/Plain
StartV=134
Width=30
Height=46
