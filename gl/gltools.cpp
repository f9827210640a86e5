// gltools
