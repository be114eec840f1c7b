[Textures]
Type=TResource
Name=Textures
ProcessOptions=[Render]
Visible=0
Alpha=1
Capacity=0
Count=0

