-- A game that only says hello through the engine's log, for the checks of the player's start and end.
Print("Hello from the ZepBox demo: Main.lua is running.")
