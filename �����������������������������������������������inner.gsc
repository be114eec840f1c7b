[e]
Type=TResource
Name=e
Visible=0
Capacity=0
Count=0

