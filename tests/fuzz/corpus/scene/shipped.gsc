; The scene the program carries: an empty world that the scene data will
; fill. Every file in data/scene/ is packed into the program's archive.
[MainScene]
Type=TMainScene
Name=MainScene
Count=0
