// Nothing of its own: the target that builds the precompiled header the libraries share.
