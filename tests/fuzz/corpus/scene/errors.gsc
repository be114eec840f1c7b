[MainScene]
Count=3
[MainScene1]
Type=TResource
Name=A
[MainScene2]
Type=TNothing
Name=B
