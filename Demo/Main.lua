-- The demo game: a title scene whose gems turn, until the window is closed.
Print("Hello from the ZepBox demo: Main.lua is running.")

local app = Zep.Application:GetInstance()
app:Startup()
Zep.LoadSceneFromFile(app.rootScene, "Scenes/Title.scene")

local gem = app.rootScene:FindChild("gem")

local listener = Zep.Lua__ApplicationListener()
listener:tolua__set_instance(listener)
function listener:OnUpdate(milliseconds)
	gem.rotation = gem.rotation + milliseconds * 0.05
end
function listener:OnClose()
	app:Terminate()
end
app:SetListener(listener)

app:MainLoop()
Print("The demo ends.")
