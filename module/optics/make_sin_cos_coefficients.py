#!/usr/bin/env python3
"""The coefficients of optics/sin_cos.h: minimax polynomials, by Remez's
exchange in 200-bit arithmetic (mpmath, Debian python3-mpmath), of
(sin(x)/x - 1)/t and (cos(x) - 1)/t in t = x^2 over the reduced range
|x| <= pi/4, with seven coefficients each. Prints each set's largest error
and the coefficients as C hexadecimal doubles, lowest order first.
"""
from mpmath import mp, mpf, sin, cos, pi, chebyt, matrix, lu_solve, cos as mcos
mp.prec = 200
T = (pi/4)**2
def fs(t):  # (sin(x)/x - 1)/t, x = sqrt(t)
    if t == 0: return mpf(-1)/6
    x = mp.sqrt(t); return (sin(x)/x - 1)/t
def fc(t):
    if t == 0: return mpf(-1)/2
    x = mp.sqrt(t); return (cos(x) - 1)/t
def remez(f, n, a, b, iters=30):
    """Degree-n minimax polynomial of f on [a, b] and its largest error."""
    N = n + 2
    xs = [ (a+b)/2 + (b-a)/2*mcos(pi*k/(N-1)) for k in range(N)]
    xs.sort()
    for it in range(iters):
        A = matrix(N, N); rhs = matrix(N, 1)
        for i, x in enumerate(xs):
            for j in range(n+1): A[i, j] = x**j
            A[i, n+1] = (-1)**i
            rhs[i] = f(x)
        sol = lu_solve(A, rhs)
        c = [sol[j] for j in range(n+1)]; E = sol[n+1]
        err = lambda x: sum(c[j]*x**j for j in range(n+1)) - f(x)
        # find extrema on a fine grid
        grid = [a + (b-a)*k/4000 for k in range(4001)]
        vals = [err(x) for x in grid]
        ext = [grid[0]]
        for k in range(1, len(grid)-1):
            if (vals[k]-vals[k-1])*(vals[k+1]-vals[k]) <= 0: ext.append(grid[k])
        ext.append(grid[-1])
        if len(ext) != N: break
        xs = ext
    return c, max(abs(v) for v in vals)
for name, f in (("sin", fs), ("cos", fc)):
    c, e = remez(f, 6, mpf(0), T)
    print(name, "largest error of the polynomial:", mp.nstr(e, 5))
    print("  ", ", ".join(float(x).hex() for x in c))
