Print("scene copy run")
