#!/usr/bin/env python3
"""Draws the composition items' handle pictures (32 pixels) and item-menu icons (48 pixels)
into resources/images/fun.

Plain Python (zlib and struct), so the pictures can be redrawn anywhere:
    python3 scripts/draw_item_handles.py
Each pixel is sampled 2 x 2 times from a coverage function. The arrow-tip handle's tip is at
(5, 26), where the program expects it. Every picture is drawn a second time at twice the pixels
per unit beside it, as name@2x.png: on a double-density screen the handles and icons show that
one, not the small one blown up.
"""
import math
import os
import struct
import zlib
def png(path, px, n):
    raw=b''.join(b'\x00'+bytes(sum((list(px[y*n+x]) for x in range(n)),[])) for y in range(n))
    def chunk(t,d): return struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d)&0xffffffff)
    open(path,'wb').write(b'\x89PNG\r\n\x1a\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',n,n,8,6,0,0,0))+chunk(b'IDAT',zlib.compress(raw,9))+chunk(b'IEND',b''))
class Canvas:
    """A square of n units drawn with `scale` pixels per unit; shapes are given in units."""
    def __init__(s,n,scale=1): s.scale=scale; s.n=n*scale; s.px=[(0,0,0,0)]*(s.n*s.n)
    def shade(s,f,col):
        n=s.n; k=s.scale
        for y in range(n):
            for x in range(n):
                cov=0
                for sy in (0.25,0.75):
                    for sx in (0.25,0.75):
                        if f((x+sx)/k,(y+sy)/k): cov+=1
                if cov:
                    a=col[3]*cov/4/255.0
                    r,g,b,A=s.px[y*n+x]
                    oa=A/255.0; na=a+oa*(1-a)
                    mix=lambda c,o:int(round((c*a+o*oa*(1-a))/na)) if na>0 else 0
                    s.px[y*n+x]=(mix(col[0],r),mix(col[1],g),mix(col[2],b),int(round(na*255)))
    def disc(s,cx,cy,r,col): s.shade(lambda x,y:(x-cx)**2+(y-cy)**2<=r*r,col)
    def ring(s,cx,cy,r,w,col): s.shade(lambda x,y:abs(math.hypot(x-cx,y-cy)-r)<=w/2,col)
    def line(s,x0,y0,x1,y1,w,col):
        def f(x,y):
            dx,dy=x1-x0,y1-y0; t=max(0,min(1,((x-x0)*dx+(y-y0)*dy)/(dx*dx+dy*dy)))
            return math.hypot(x-x0-t*dx,y-y0-t*dy)<=w/2
        s.shade(f,col)
    def poly(s,pts,col):
        def f(x,y):
            inside=False; j=len(pts)-1
            for i in range(len(pts)):
                xi,yi=pts[i]; xj,yj=pts[j]
                if (yi>y)!=(yj>y) and x<(xj-xi)*(y-yi)/(yj-yi)+xi: inside=not inside
                j=i
            return inside
        s.shade(f,col)
    def rect(s,x0,y0,x1,y1,fill,edge):
        s.poly([(x0,y0),(x1,y0),(x1,y1),(x0,y1)],edge); s.poly([(x0+2,y0+2),(x1-2,y0+2),(x1-2,y1-2),(x0+2,y1-2)],fill)
D=(48,48,48,255); W=(255,255,255,215)
B=(150,170,190,255); O=(255,200,130,255)
base = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images", "fun")
def grip(k): c=Canvas(32,k); c.disc(16,16,13,W); c.ring(16,16,13,2,D); return c
def translate(k):
    c=grip(k); c.line(9,16,23,16,2,D); c.line(16,9,16,23,2,D)
    for p in ([(16,5),(12,10),(20,10)],[(16,27),(12,22),(20,22)],[(5,16),(10,12),(10,20)],[(27,16),(22,12),(22,20)]): c.poly(p,D)
    return c
def rotate(k):
    c=grip(k); c.shade(lambda x,y: abs(math.hypot(x-16,y-16)-7)<=1 and not (x>16 and y<16),D); c.poly([(16,5),(22,9),(16,13)],D)
    return c
def scale(k):
    c=grip(k); c.line(11,11,21,21,2,D); c.poly([(23,23),(23,15),(15,23)],D); c.poly([(9,9),(9,17),(17,9)],D)
    return c
def setwidth(k):
    c=grip(k); c.line(9,16,23,16,2,D); c.poly([(6,16),(11,11),(11,21)],D); c.poly([(26,16),(21,11),(21,21)],D)
    return c
def arrow_tip(k):
    c=Canvas(32,k); arrow=[(5,26),(5,8),(10,13),(14,5),(18,7),(14,15),(21,16)]; c.poly(arrow,D); c.poly([(6.5,22.5),(6.5,11.5),(10.5,15.5),(14.5,7.5),(16,8.3),(12,16.5),(17.5,17.2)],(255,255,255,235))
    return c
def bring_forward(k): c=Canvas(48,k); c.rect(6,16,30,40,B,D); c.rect(18,6,42,30,O,D); return c
def push_backward(k): c=Canvas(48,k); c.rect(18,6,42,30,O,D); c.rect(6,16,30,40,B,D); return c
def delete(k):
    c=Canvas(48,k); c.poly([(11,13),(37,13),(34,43),(14,43)],D); c.poly([(14,16),(34,16),(31.5,40),(16.5,40)],(205,205,205,255)); c.rect(8,8,40,14,(205,205,205,255),D); c.line(20,20,20,36,2,D); c.line(28,20,28,36,2,D)
    return c
def clone(k): c=Canvas(48,k); c.rect(6,6,30,30,(200,220,235,255),D); c.rect(18,18,42,42,(200,220,235,255),D); return c
def cutout(k):
    c=Canvas(48,k); c.rect(4,4,44,44,(255,255,255,255),D); c.shade(lambda x,y:((x-24)/11)**2+((y-26)/14)**2<=1,(120,170,90,255)); c.shade(lambda x,y:abs(math.hypot((x-24)/15,(y-26)/18)-1)<=0.07,(200,50,50,255))
    return c
for name,draw in (('cursors32pix/translate',translate),('cursors32pix/rotate',rotate),
                  ('cursors32pix/scale',scale),('cursors32pix/setwidth',setwidth),
                  ('cursors32pix/generic_interaction_cursor',arrow_tip),
                  ('icons48pix/bring_forward',bring_forward),('icons48pix/push_backward',push_backward),
                  ('icons48pix/delete',delete),('icons48pix/clone',clone),('icons48pix/cutout',cutout)):
    for k,suffix in ((1,''),(2,'@2x')):
        c=draw(k); png(base+'/'+name+suffix+'.png',c.px,c.n)
