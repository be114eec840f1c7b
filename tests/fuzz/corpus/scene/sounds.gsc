[MainScene]
Count=2

[MainScene1]
Type=TSceneSoundList
Name=Sounds
ProcessOptions=[Render]
Visible=1
Active=1
InitDevice=1
Rate=7
Bits=0
Channels=2
SoundVolume=170
MusicVolume=-5
Path=.\Scenes\
Count=4

[Sounds1]
Type=TSceneSound
Name=Bubbles Sound - 1
FileName=bubbles1.wav
Looped=1
Music=1
Volume=55
Pan=-20

[Sounds2]
Type=TSceneSound
Name=Blank
Visible=0
FileName=
Volume=x

[Sounds3]
Type=TSceneSound
Name=Bubbles Sound - 1
FileName=other.wav

[Sounds4]
Type=TSceneSound
Name=Deep
FileName=C:\Sounds\deep.wav
Music=1

[MainScene2]
Type=TSceneSoundList
Name=Second
InitDevice=1
Channels=0
Count=1

[Second1]
Type=TSceneSound
Name=Again
FileName=bubbles1.wav
