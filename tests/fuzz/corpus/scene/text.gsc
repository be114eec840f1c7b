[MainScene]
Count=5
[MainScene1]
Type=TSceneFont
Name=Menu Font
Color=255,200,0
AlphaBackground=20
TextureSize=512
FontCellSize=32
ScaleX=1.5
ScaleY=0.75
ViewWidth=800
ViewHeight=600
FontName=Arial
FontOptions=[Soften,FixedView,Scaled]
FontStyle=[Bold,Italic]
Char1=A
Char2=
StartChar1=a
EndChar1=z
Code1=200
Code2=-1
StartCode1=48
EndCode1=57
StartCode2=-1
Str1=.,:!?
[MainScene2]
Type=TSceneFont
Name=Bitmap Font
FontOptions=[FixedSize]
FileName=metrics.txt
Texture=Menu Font
[MainScene3]
Type=TSceneText
Name=Menu
ProcessOptions=[Render,Animation]
Font=Menu Font
X=100
Y=600
StringColor=255,0,0
StringIndex=1
Text1=Start
Text2=
Text3=Quit
[MainScene4]
Type=TSceneString
Name=Title
ProcessOptions=[Render]
Font=Bitmap Font
Text=Velmora
Enable3D=1
[MainScene5]
Type=TSceneFont
Name=Broken
StartChar1=a
Code1=999
