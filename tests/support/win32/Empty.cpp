// The foreign-version library carries only its resource.
