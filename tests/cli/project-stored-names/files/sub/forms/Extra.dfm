object Extra: TExtra
  Caption = 'Extra caption'
end
