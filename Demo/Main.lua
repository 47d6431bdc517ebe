-- The demo game: for now it only says hello through the engine's log.
Print("Hello from the ZepBox demo: Main.lua is running.")
