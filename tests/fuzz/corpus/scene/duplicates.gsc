[MainScene]
Count=2
[MainScene1]
Type=tresource
Name=Dup
[MainScene2]
TYPE=TResource
NAME=Dup
