[Tex¼ures]
Type=TResource
Name=Tex¼ures
ProcessOptions=[Render]
Visible=0
Alpha=1
Capacity=0
Count=0

