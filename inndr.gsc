[Inner]
Type=TResource
Name=Inner
Visible=0
Capacity=0
Count=0

