import os
import sys

# The reference problems (problems.py) must import by name in worker processes too.
sys.path.insert(0, os.path.dirname(__file__))
