[Inner]
Type=TResource
Name=Inner
ProcessOptions=[Events]
Visible=0
Capacity=0
Count=0

